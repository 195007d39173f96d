#include "InfVer.h"

#include "Paths.h"
#include "Platform.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace zelmaro {

namespace {

// The runtime's integer conversion: leading blanks, an optional sign, then
// decimal digits or hexadecimal after "$", "x", "X" or "0x". Nothing may
// follow the digits and the value must fit 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (hex) {
        // Hexadecimal covers the whole 32-bit pattern, as the runtime does.
        auto bits = static_cast<std::uint32_t>(value);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    if (negative) {
        if (value > 0x80000000ull)
            return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 0x7FFFFFFFull)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text)
{
    if (auto value = ParseInteger(text))
        return *value;
    throw EVersionConvertError(text);
}

} // namespace

EVersionConvertError::EVersionConvertError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' ist kein gültiger Integerwert")
{
}

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
        auto value = static_cast<std::uint32_t>(ParseInteger(parts[k]).value_or(0));
        result += value << (8 * (3 - k));
    }
    return result;
}

TInfoVersion::TInfoVersion(const TVersionBlockSource& source)
    : TInfoVersion(source, SystemPlatform())
{
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
    auto query = [&](const char* key) {
        return block->QueryString(StringFileInfoPath(*translation, key)).value_or(std::string());
    };

    CompanyName = query("\\CompanyName");
    FileDescription = query("\\FileDescription");
    FileVersion = query("\\FileVersion");
    ShortFileVersion = ShortVersion(FileVersion);
    FileVersionNumber = VersionToNumber(FileVersion);
    InternalName = query("\\InternalName");
    LegalCopyright = query("\\LegalCopyright");
    LegalTrademarks = query("\\LegalTrademarks");
    OriginalFilename = query("\\OriginalFilename");
    ProductName = query("\\ProductName");
    ProductVersion = query("\\ProductVersion");
    ShortProductVersion = ShortVersion(ProductVersion);
    ProductVersionNumber = VersionToNumber(ProductVersion);
    Comments = query("\\Comments");
    Mail = query("\\Mail");
    Internet = query("\\Internet");
    Licence = query("\\Licence");
}

} // namespace zelmaro
