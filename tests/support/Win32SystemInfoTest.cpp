#include "platform/Platform.h"
#include "support/Paths.h"
#include "support/SystemInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

using namespace zelmaro;

TEST(Win32SystemInfo, LiveAnswersOfTheRunningSystem)
{
    const std::string module = GetModuleName();
    EXPECT_EQ(module.substr(1, 2), ":\\") << module;
    EXPECT_NE(module.find("support_tests.exe"), std::string::npos) << module;
    EXPECT_TRUE(std::filesystem::exists(module));

    OSVERSIONINFOA reported{};
    reported.dwOSVersionInfoSize = sizeof(reported);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(::GetVersionExA(&reported));
#pragma GCC diagnostic pop
    const OsVersionInfo version = SystemPlatform().OsVersion();
    EXPECT_EQ(version.PlatformId, reported.dwPlatformId);
    EXPECT_EQ(version.Major, reported.dwMajorVersion);
    EXPECT_EQ(version.Minor, reported.dwMinorVersion);
    EXPECT_EQ(GetWindowsVersion(), WindowsVersionCode(version));
    // Anything from Vista on is NT 6 or later and has no code of its own.
    if (version.Major >= 6) {
        EXPECT_EQ(GetWindowsVersion(), 0);
        EXPECT_FALSE(IsWinNT());
    }
}

TEST(Win32SystemInfo, DirExistsFollowsTheAttributes)
{
    const std::string module = GetModuleName();
    const std::string dir = std::filesystem::path(module).parent_path().string();
    EXPECT_TRUE(DirExists(dir));
    EXPECT_TRUE(DirExists(module.substr(0, 3))); // the drive root
    EXPECT_FALSE(DirExists(module));
    EXPECT_FALSE(DirExists(""));
    EXPECT_FALSE(DirExists(dir + "\\no such folder"));
    EXPECT_EQ(JoinPath("c", "x"), "c:\\x");
}
