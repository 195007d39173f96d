#include "common/System.h"
#include "platform/HelperProcess.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fstream>
#endif

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

// Waits up to timeoutMs for the process with this id to end.
bool Ends(unsigned long id, int timeoutMs)
{
#ifdef _WIN32
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (process == nullptr)
        return true; // gone already
    const bool ended =
        ::WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
#else
    // An orphan belongs to another process now: look at it, do not wait for it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
        std::string all;
        if (!stat || !std::getline(stat, all))
            return true;
        const std::size_t name = all.rfind(')');
        if (name != std::string::npos && all.compare(name, 3, ") Z") == 0)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
#endif
}

} // namespace

TEST(PipedChild, EndsWhenTheProgramThatStartedItDies)
{
    // The helper starts a sleeper and dies without ending it, as a crash would.
    // On Windows the sleeper inherits the helper's output: read no further
    // than its first line.
    const std::unique_ptr<TPipedChildProcess> starter =
        StartHelper({"start", kPlatformChild, "sleep", "60000"});
    ASSERT_NE(starter, nullptr);
    const std::optional<std::string> line = FirstLine(*starter);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(starter->WaitForExit(30000), 0);
    const unsigned long sleeper = std::strtoul(line->c_str(), nullptr, 10);
    ASSERT_NE(sleeper, 0ul) << *line;
    EXPECT_TRUE(Ends(sleeper, 15000)) << "the sleeper outlived its starter";
}

TEST(PipedChild, RunsInAJobOfItsOwn)
{
#ifdef _WIN32
    BOOL starterInJob = FALSE;
    ASSERT_TRUE(::IsProcessInJob(::GetCurrentProcess(), nullptr, &starterInJob));
    if (starterInJob)
        GTEST_SKIP() << "this program runs in a job already, which its children share anyway";
    const std::unique_ptr<TPipedChildProcess> child = StartHelper({"sleep", "60000"});
    ASSERT_NE(child, nullptr);
    BOOL inJob = FALSE;
    ASSERT_TRUE(::IsProcessInJob(reinterpret_cast<HANDLE>(child->Handle()), nullptr, &inJob));
    EXPECT_TRUE(inJob);
    // Started suspended until it was placed: it must run on.
    EXPECT_EQ(child->WaitForExit(100), kStillActive);
#else
    GTEST_SKIP() << "Windows jobs; POSIX uses a process group and the parent-death signal";
#endif
}
