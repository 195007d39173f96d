#include "about/VersionBlock.h"

#include <cstdio>

namespace zelmaro {

std::optional<std::string> TVersionBlockData::QueryString(const std::string& path) const
{
    auto it = Strings.find(path);
    if (it == Strings.end())
        return std::nullopt;
    return it->second;
}

std::string StringFileInfoPath(std::uint32_t translation, const std::string& key)
{
    // Written as eight digits, the low half-word (language) is digits 5-8 and
    // comes first in the path, the code page second.
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(translation));
    std::string digits(hex, 8);
    return "\\StringFileInfo\\" + digits.substr(4, 4) + digits.substr(0, 4) + key;
}

} // namespace zelmaro
