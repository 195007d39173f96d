#pragma once

// The child program's commands carry bytes as hex, so that any byte survives
// the command line; the tests and the child share the encoding.

#include <string>
#include <string_view>

namespace zelmaro::test {

inline std::string ToHex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

inline std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// The child's command that writes the bytes to its output.
inline std::string Out(std::string_view bytes)
{
    return "out:" + ToHex(bytes);
}

} // namespace zelmaro::test
