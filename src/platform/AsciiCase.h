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

} // namespace zelmaro
