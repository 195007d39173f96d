#include "support/SystemInfo.h"

namespace zelmaro {

std::string GetModuleName()
{
    return SystemPlatform().ModuleFileName();
}

std::int32_t WindowsVersionCode(const OsVersionInfo& v)
{
    switch (v.PlatformId) {
    case 0:
        return 1;
    case 1:
        if (v.Major != 4)
            return 0;
        if (v.Minor == 0)
            return v.ServiceString == " C" ? 0x1020 : 0x1000;
        if (v.Minor == 10)
            return v.ServiceString == " A" ? 0x1030 : 0x1010;
        if (v.Minor == 90)
            return 0x1070;
        return 0;
    case 2:
        if (v.Major == 3)
            return 0x2000;
        if (v.Major == 4)
            return 0x2010;
        if (v.Major == 5) {
            if (v.Minor == 0)
                return 0x2030;
            if (v.Minor == 1)
                return 0x2070;
            if (v.Minor == 2)
                return 0x2100;
        }
        return 0;
    default:
        return 0;
    }
}

std::int32_t GetWindowsVersion()
{
    const OsVersionInfo version = SystemPlatform().OsVersion();
    // An all-zero report means there is no Windows version at all (POSIX),
    // which must not read as Win32s.
    if (version == OsVersionInfo{})
        return 0;
    return WindowsVersionCode(version);
}

bool IsWinNT()
{
    return (GetWindowsVersion() & 0x2000) != 0;
}

} // namespace zelmaro
