#pragma once

#include "common/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zelmaro::test {

// Bytes written as numbers, the way the file layouts are described.
inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes)
        out.push_back(static_cast<char>(b));
    return out;
}

inline std::string Le16(std::uint16_t v)
{
    return Bytes({v & 0xFF, v >> 8});
}
inline std::string Le32(std::uint32_t v)
{
    return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}
// A Palm string with a one-byte length (0-254).
inline std::string Short(std::string_view text)
{
    return static_cast<char>(text.size()) + std::string(text);
}

using TempDir = TTempDir;

} // namespace zelmaro::test
