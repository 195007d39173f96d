#include "about/InfVer.h"

#include "support/Conversions.h"

#include "platform/Platform.h"
#include "support/Paths.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro {

std::string ShortVersion(std::string_view text)
{
    auto first = text.find('.');
    if (first == std::string_view::npos)
        return std::string(text);
    std::int32_t major = StrToInt(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    auto second = rest.find('.');
    if (second == std::string_view::npos)
        return std::string(text);
    std::int32_t minor = StrToInt(rest.substr(0, second));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d.%.2d", major, minor);
    return buffer;
}

std::uint32_t VersionToNumber(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.' || text[i] == ',') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        parts.push_back(text.substr(start));

    std::uint32_t result = 0;
    for (std::size_t k = 0; k < 4 && k < parts.size(); ++k) {
        auto value = static_cast<std::uint32_t>(TryStrToInt(parts[k]).value_or(0));
        result += value << (8 * (3 - k));
    }
    return result;
}

TInfoVersion::TInfoVersion(const TVersionBlockSource& source, const Platform& platform)
    : source_(source), platform_(platform)
{
}

void TInfoVersion::ReadVersionInfo()
{
    std::string file;
    if (FileName.empty())
        file = platform_.ModuleFileName();
    else if (FileExists(FileName))
        file = FileName;
    if (file.empty())
        return;

    std::unique_ptr<TVersionBlock> block = source_.Load(file);
    if (!block)
        return;

    if (auto flags = block->FileFlags()) {
        Debug = (*flags & 0x01) != 0;
        PreRelease = (*flags & 0x02) != 0;
        PrivateBuild = (*flags & 0x08) != 0;
        SpecialBuild = (*flags & 0x20) != 0;
    }

    auto translation = block->FirstTranslation();
    if (!translation)
        return;
    // In the order the keys are asked for; a version's short form and number
    // are set from it before the next key (a bad version ends the reading).
    struct TKey {
        const char* Name;
        std::string TInfoVersion::*Text;
        std::string TInfoVersion::*Short = nullptr;
        std::uint32_t TInfoVersion::*Number = nullptr;
    };
    static constexpr TKey kKeys[] = {
        {"\\CompanyName", &TInfoVersion::CompanyName},
        {"\\FileDescription", &TInfoVersion::FileDescription},
        {"\\FileVersion", &TInfoVersion::FileVersion, &TInfoVersion::ShortFileVersion,
         &TInfoVersion::FileVersionNumber},
        {"\\InternalName", &TInfoVersion::InternalName},
        {"\\LegalCopyright", &TInfoVersion::LegalCopyright},
        {"\\LegalTrademarks", &TInfoVersion::LegalTrademarks},
        {"\\OriginalFilename", &TInfoVersion::OriginalFilename},
        {"\\ProductName", &TInfoVersion::ProductName},
        {"\\ProductVersion", &TInfoVersion::ProductVersion, &TInfoVersion::ShortProductVersion,
         &TInfoVersion::ProductVersionNumber},
        {"\\Comments", &TInfoVersion::Comments},
        {"\\Mail", &TInfoVersion::Mail},
        {"\\Internet", &TInfoVersion::Internet},
        {"\\Licence", &TInfoVersion::Licence},
    };
    for (const TKey& key : kKeys) {
        const std::string& text = this->*key.Text =
                                      block->QueryString(StringFileInfoPath(*translation, key.Name))
                                          .value_or(std::string());
        if (key.Short) {
            this->*key.Short = ShortVersion(text);
            this->*key.Number = VersionToNumber(text);
        }
    }
}

} // namespace zelmaro
