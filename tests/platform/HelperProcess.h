#pragma once

// Starting the platform tests' second process (PlatformChild.cpp) and
// reading what it says.

#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/Platform.h"
#endif

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro::test {

#ifdef _WIN32
// Built next to the test program.
inline const std::string kPlatformChild =
    (std::filesystem::path(SystemPlatform().ModuleFileName()).parent_path() /
     "platform_test_child.exe")
        .string();
#else
inline const std::string kPlatformChild = ZELMARO_PLATFORM_TEST_CHILD;
#endif

// The helper started with arguments (none holding a quote) as a piped child.
inline std::unique_ptr<TPipedChildProcess> StartHelper(const std::vector<std::string>& arguments)
{
    TProcessCommand command{kPlatformChild, {kPlatformChild}, "\"" + kPlatformChild + "\""};
    for (const std::string& argument : arguments) {
        command.Arguments.push_back(argument);
        command.CommandLine += " \"" + argument + "\"";
    }
    int error = 0;
    std::unique_ptr<TPipedChildProcess> child = StartPipedChildProcess(command, error);
    EXPECT_NE(child, nullptr) << SystemErrorText(error);
    return child;
}

// The helper's first line of output without its line end, read as it comes
// (whatever else holds the output open); nullopt when none came in 30 s.
inline std::optional<std::string> FirstLine(TPipedChildProcess& child)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        char c = 0;
        const std::optional<std::size_t> read = child.ReadOutputFor(&c, 1, 1000);
        if (!read)
            continue;
        if (*read == 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        if (c != '\r')
            line += c;
    }
    return std::nullopt;
}

} // namespace zelmaro::test
