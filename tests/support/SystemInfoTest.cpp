#include "support/SystemInfo.h"

#include <gtest/gtest.h>

using namespace zelmaro;

TEST(WindowsVersion, CodeTable)
{
    // clang-format off
    const struct { OsVersionInfo version; std::int32_t code; } cases[] = {
        {{0, 3, 10, ""}, 1},        {{1, 4, 0, ""}, 0x1000},
        {{1, 4, 0, " B"}, 0x1000},  {{1, 4, 0, " C"}, 0x1020},
        {{1, 4, 0, "C"}, 0x1000}, // compared exactly
        {{1, 4, 10, ""}, 0x1010},   {{1, 4, 10, " A"}, 0x1030},
        {{1, 4, 10, " a"}, 0x1010}, {{1, 4, 90, ""}, 0x1070},
        {{1, 4, 20, ""}, 0},        {{1, 5, 0, ""}, 0},
        {{2, 3, 51, ""}, 0x2000},   {{2, 4, 0, ""}, 0x2010},
        {{2, 5, 0, ""}, 0x2030},    {{2, 5, 1, " Service Pack 3"}, 0x2070},
        {{2, 5, 2, ""}, 0x2100},    {{2, 5, 3, ""}, 0},
        {{2, 6, 0, ""}, 0},         {{2, 10, 0, ""}, 0},
        {{3, 4, 0, ""}, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(WindowsVersionCode(c.version), c.code)
            << c.version.PlatformId << " " << c.version.Major << "." << c.version.Minor;
    }
}

#ifndef _WIN32
TEST(WindowsVersion, LiveQueryOnPosix)
{
    EXPECT_EQ(GetWindowsVersion(), 0);
    EXPECT_FALSE(IsWinNT());
    const std::string module = GetModuleName();
    EXPECT_NE(module.find("support_tests"), std::string::npos) << module;
}
#endif
