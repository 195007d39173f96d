#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace zelmaro {

// Kinds of executable images; the numbers are fixed.
enum class TExeImageKind : std::uint8_t {
    ikWin32 = 0, // PE executable
    ikDos = 1,
    ikWin16 = 2, // NE for Windows
    ikNE = 5,    // NE for another system
    ikLE = 6,
    ikDll = 7, // PE library
    ikOS2 = 8, // NE for OS/2
};

struct TExeImageInfo {
    TExeImageKind Kind = TExeImageKind::ikDos;
    std::uint16_t Subsystem = 0; // the PE subsystem; 0 for every other kind
};

// The header check of an executable file. Raises EInOutError when the file
// cannot be read, is too short for the headers it needs, is no MZ image or is
// a PE image without the executable flag.
TExeImageInfo GetExeImageKind(const std::string& path);
TExeImageInfo GetExeImageKind(std::istream& image);

} // namespace zelmaro
