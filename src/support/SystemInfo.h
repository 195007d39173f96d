#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace zelmaro {

// The full path of the running program file; empty when it cannot be found.
std::string GetModuleName();

// The version code of a reported Windows version: 1 Win32s, 0x10x0 the
// Windows 95 line, 0x2xx0 the NT line up to 5.2, 0 for anything else.
std::int32_t WindowsVersionCode(const OsVersionInfo& version);

// The code of the running system; 0 where no Windows version is reported.
std::int32_t GetWindowsVersion();

// True for the NT codes (bit 0x2000).
bool IsWinNT();

} // namespace zelmaro
