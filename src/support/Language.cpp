#include "support/Language.h"

#include <cstdlib>
#include <string>

namespace zelmaro {
#ifdef ZELMARO_HAVE_GETTEXT
namespace {

std::string_view Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

} // namespace
#endif

TLanguage LanguageOf(std::string_view tag)
{
    const bool german =
        tag.size() >= 2 && (tag[0] == 'd' || tag[0] == 'D') && (tag[1] == 'e' || tag[1] == 'E') &&
        (tag.size() == 2 || tag[2] == '_' || tag[2] == '-' || tag[2] == '.' || tag[2] == '@');
    return german ? TLanguage::lgGerman : TLanguage::lgEnglish;
}

TLanguage SystemLanguage()
{
#ifdef ZELMARO_HAVE_GETTEXT
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = Environment(name);
        if (!locale.empty())
            break;
    }
    const bool plain = locale.empty() || locale == "C" || locale == "POSIX";
    const std::string_view list = Environment("LANGUAGE");
    if (!plain && !list.empty())
        return LanguageOf(list.substr(0, list.find(':')));
    return LanguageOf(locale);
#else
    return TLanguage::lgGerman;
#endif
}

} // namespace zelmaro
