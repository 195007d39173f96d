#include "platform/DirectoryLock.h"
#include "common/System.h"
#include "common/TempDir.h"
#include "platform/HelperProcess.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;
using TState = TDirectoryLock::TState;

namespace {

std::string LockFile(const TTempDir& dir)
{
    return dir.File(TDirectoryLock::kFileName);
}

void Kill(TPipedChildProcess& child)
{
#ifdef _WIN32
    ::TerminateProcess(reinterpret_cast<HANDLE>(child.Handle()), 9);
#else
    ::kill(static_cast<pid_t>(child.Handle()), SIGKILL);
#endif
    child.WaitForExit(10000);
}

} // namespace

TEST(DirectoryLock, ASecondWriterIsBusyUntilTheFirstReleases)
{
    const TTempDir dir;
    std::optional<TDirectoryLock> first(std::in_place, dir.Path());
    ASSERT_EQ(first->State(), TState::lsHeld);
    EXPECT_TRUE(fs::exists(LockFile(dir)));
#ifdef _WIN32
    EXPECT_NE(::GetFileAttributesA(LockFile(dir).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#endif
    {
        const TDirectoryLock second(dir.Path());
        EXPECT_EQ(second.State(), TState::lsBusy);
    }
    // A busy attempt neither removes nor takes over the holder's file.
    EXPECT_TRUE(fs::exists(LockFile(dir)));
    EXPECT_EQ(TDirectoryLock(dir.Path()).State(), TState::lsBusy);

    first.reset();
    EXPECT_FALSE(fs::exists(LockFile(dir)));
    {
        const TDirectoryLock third(dir.Path());
        EXPECT_EQ(third.State(), TState::lsHeld);
    }
    EXPECT_FALSE(fs::exists(LockFile(dir)));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(DirectoryLock, EverySpellingOfTheDirectoryNamesTheSameLock)
{
    const TTempDir dir;
    const char separator = static_cast<char>(fs::path::preferred_separator);
    std::vector<std::string> spellings = {dir.Path(), dir.Path() + separator};
    if (kWindows)
        spellings.push_back(dir.Path() + '/');
    for (const std::string& spelling : spellings) {
        const TDirectoryLock held(spelling);
        ASSERT_EQ(held.State(), TState::lsHeld) << spelling;
        EXPECT_TRUE(fs::exists(LockFile(dir))) << spelling;
        for (const std::string& other : spellings)
            EXPECT_EQ(TDirectoryLock(other).State(), TState::lsBusy) << spelling << " " << other;
    }
    EXPECT_FALSE(fs::exists(LockFile(dir)));
}

TEST(DirectoryLock, TwoDirectoriesDoNotInterfere)
{
    const TTempDir dir;
    const std::string a = dir.Dir("a");
    const std::string b = dir.Dir("a/b"); // nested: a's lock is not b's
    const TDirectoryLock lockA(a);
    const TDirectoryLock lockB(b);
    EXPECT_EQ(lockA.State(), TState::lsHeld);
    EXPECT_EQ(lockB.State(), TState::lsHeld);
    EXPECT_EQ(TDirectoryLock(a).State(), TState::lsBusy);
    EXPECT_EQ(TDirectoryLock(b).State(), TState::lsBusy);
}

TEST(DirectoryLock, AFileLeftByAHolderThatDiedDoesNotBlock)
{
    const TTempDir dir;
    dir.Write(TDirectoryLock::kFileName, "left over");
    {
        const TDirectoryLock lock(dir.Path());
        EXPECT_EQ(lock.State(), TState::lsHeld);
        EXPECT_EQ(TDirectoryLock(dir.Path()).State(), TState::lsBusy);
    }
    EXPECT_FALSE(fs::exists(LockFile(dir)));
}

TEST(DirectoryLock, AMissingDirectoryIsUnavailable)
{
    const TTempDir dir;
    const TDirectoryLock lock(dir.File("missing"));
    EXPECT_EQ(lock.State(), TState::lsUnavailable);
    EXPECT_FALSE(fs::exists(dir.File("missing")));
}

TEST(DirectoryLock, ADirectoryThatCannotBeWrittenIsUnavailable)
{
    if (kWindows)
        GTEST_SKIP() << "POSIX permissions";
#ifndef _WIN32
    const TTempDir dir;
    const std::string locked = dir.Dir("read-only");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    // Root writes anyway: a child that has given up root tries instead.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        const TDirectoryLock lock(locked);
        ::_exit(static_cast<int>(lock.State()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::chmod(locked.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 100) << "could not give up root";
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(TState::lsUnavailable));
    EXPECT_FALSE(fs::exists(locked + "/" + TDirectoryLock::kFileName));
#endif
}

TEST(DirectoryLock, WritersOnManyThreadsHoldItOneAtATime)
{
    // Each release removes the file another writer may just have opened: that
    // writer must not hold a lock on the removed file beside one on the new.
    const TTempDir dir;
    const int rounds = RunningUnderWine() ? 40 : 300;
    std::atomic<int> holders{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> unavailable{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < 6; ++w)
        writers.emplace_back([&] {
            for (int held = 0; held < rounds;) {
                const TDirectoryLock lock(dir.Path());
                if (lock.State() == TState::lsUnavailable) {
                    ++unavailable;
                    return;
                }
                if (lock.State() != TState::lsHeld) {
                    std::this_thread::yield();
                    continue;
                }
                if (holders.fetch_add(1) != 0)
                    ++overlaps;
                // Long enough for another writer to open the file meanwhile.
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                holders.fetch_sub(1);
                ++held;
            }
        });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(unavailable.load(), 0);
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_FALSE(fs::exists(LockFile(dir)));
}

TEST(DirectoryLock, AnotherProcessHoldsItUntilItReleasesOrIsKilled)
{
    for (const bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed" : "released");
        const TTempDir dir;
        const std::unique_ptr<TPipedChildProcess> holder = StartHelper({"lock", dir.Path()});
        ASSERT_NE(holder, nullptr);
        ASSERT_EQ(FirstLine(*holder), "held");
        EXPECT_EQ(TDirectoryLock(dir.Path()).State(), TState::lsBusy);
        EXPECT_TRUE(fs::exists(LockFile(dir)));
        if (killed) {
            Kill(*holder);
        } else {
            holder->CloseInput(); // the holder releases and ends
            EXPECT_EQ(holder->WaitForExit(30000), 0);
            EXPECT_FALSE(fs::exists(LockFile(dir)));
        }
        {
            const TDirectoryLock lock(dir.Path());
            EXPECT_EQ(lock.State(), TState::lsHeld);
            // And the other way round.
            const std::unique_ptr<TPipedChildProcess> contender = StartHelper({"lock", dir.Path()});
            ASSERT_NE(contender, nullptr);
            EXPECT_EQ(FirstLine(*contender), "busy");
        }
        EXPECT_FALSE(fs::exists(LockFile(dir)));
    }
}

TEST(DirectoryLock, AChildStartedWhileItIsHeldDoesNotKeepIt)
{
    const TTempDir dir;
    std::optional<TDirectoryLock> lock(std::in_place, dir.Path());
    ASSERT_EQ(lock->State(), TState::lsHeld);
    const std::unique_ptr<TPipedChildProcess> child = StartHelper({"sleep", "60000"});
    ASSERT_NE(child, nullptr);
    lock.reset();
    EXPECT_FALSE(fs::exists(LockFile(dir)));
    EXPECT_EQ(TDirectoryLock(dir.Path()).State(), TState::lsHeld);
    Kill(*child);
}
