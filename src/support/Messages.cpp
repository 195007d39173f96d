#include "support/Messages.h"

#include "platform/Platform.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef ZELMARO_HAVE_GETTEXT
#include <clocale>
#include <libintl.h>
#endif

namespace zelmaro {
namespace {

constexpr const char* kDomain = "zelmaro";

bool HasCatalog(const std::filesystem::path& directory)
{
    std::error_code error;
    return std::filesystem::is_regular_file(directory / "en" / "LC_MESSAGES" / "zelmaro.mo", error);
}

} // namespace

std::string CatalogDirectory(const std::string& programFile)
{
    if (const char* folder = std::getenv("ZELMARO_LOCALEDIR"); folder != nullptr && *folder)
        return folder;
    const std::filesystem::path bin = std::filesystem::path(programFile).parent_path();
    for (const std::filesystem::path& candidate :
         {bin / ".." / "share" / "locale", bin / ".." / ".." / "share" / "locale"}) {
        if (HasCatalog(candidate))
            return candidate.lexically_normal().string();
    }
#ifdef ZELMARO_LOCALEDIR
    return ZELMARO_LOCALEDIR;
#else
    return (bin / ".." / "share" / "locale").lexically_normal().string();
#endif
}

void InitMessages(TLanguage language)
{
    InitMessages(language, CatalogDirectory(SystemPlatform().ModuleFileName()));
}

#ifdef ZELMARO_HAVE_GETTEXT

void InitMessages(TLanguage language, const std::string& catalogDirectory)
{
    // gettext translates nothing in the "C" locale; C.UTF-8 exists on every
    // glibc system and still honours LANGUAGE.
    const char* locale = std::setlocale(LC_MESSAGES, "");
    const std::string_view name = locale != nullptr ? locale : "";
    if (name.empty() || name == "C" || name == "POSIX")
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    // LANGUAGE outranks the locale, so the choice holds whatever the locale is.
    ::setenv("LANGUAGE", language == TLanguage::lgEnglish ? "en" : "de", 1);
    ::bindtextdomain(kDomain, catalogDirectory.c_str());
    // The catalog is UTF-8, and so is every text of the program.
    ::bind_textdomain_codeset(kDomain, "UTF-8");
}

std::string Tr(const char* text)
{
    return ::dgettext(kDomain, text);
}

std::string TrN(const char* singular, const char* plural, unsigned long n)
{
    return ::dngettext(kDomain, singular, plural, n);
}

#else

void InitMessages(TLanguage, const std::string&) {}

std::string Tr(const char* text)
{
    return text;
}

std::string TrN(const char* singular, const char* plural, unsigned long n)
{
    return n == 1 ? singular : plural;
}

#endif

std::string FillTexts(std::string_view pattern, const std::vector<std::string>& values)
{
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                text += values[index];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

} // namespace zelmaro
