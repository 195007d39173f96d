#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

// Lower-cases ASCII letters only; other bytes stay as they are, so that
// Windows-1252 and UTF-8 texts compare as the systems that wrote them do.
inline std::string FoldAsciiCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The value of a hexadecimal digit of either case, or -1.
constexpr int AsciiHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace zelmaro
