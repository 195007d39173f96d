#include "common/System.h"
#include "common/TempDir.h"
#include "platform/ChildProcess.h"
#include "platform/Cores.h"
#include "platform/DirectoryScan.h"
#include "platform/Platform.h"
#include "platform/posix/PosixLocale.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <latch>
#include <thread>
#include <vector>

#include <sched.h>
#include <sys/stat.h>

using namespace zelmaro;

TEST(StrftimeToPicture, TurnsLocaleFormatsIntoPictures)
{
    // clang-format off
    const struct { const char *format, *picture; } cases[] = {
        {"%d.%m.%Y", "dd.MM.yyyy"},     // de_DE
        {"%H:%M:%S", "HH:mm:ss"},       // de_DE, C
        {"%m/%d/%y", "MM/dd/yy"},       // C
        {"%I:%M:%S %p", "hh:mm:ss tt"}, // en_US
        {"%r", "hh:mm:ss tt"}, {"%T", "HH:mm:ss"}, {"%F", "yyyy-MM-dd"}, {"%-d.%-m.%Y", "d.M.yyyy"},
        {"%Y年%m月%d日", "yyyy年MM月dd日"}, // non-letters pass through
        {"%d de %m", "dd' de 'MM"},         // letters are quoted
        {"%%", "%"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(posix::StrftimeToPicture(c.format), c.picture) << c.format;
}

TEST(PosixPlatform, AnswersAboutTheRunningSystem)
{
    Platform& platform = SystemPlatform();
    std::string self = platform.ModuleFileName();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(std::filesystem::exists(self));
    EXPECT_EQ(platform.OsVersion(), OsVersionInfo{});
    EXPECT_GT(platform.PhysicalMemoryBytes(), 0u);
    EXPECT_GT(platform.Processors().Count, 0u);
    EXPECT_FALSE(platform.Processors().Name.empty());
}

TEST(PosixPlatform, FileAttributes)
{
    Platform& platform = SystemPlatform();
    const test::TTempDir dir;
    EXPECT_EQ(platform.FileAttributes(dir.Path()).value_or(0) & kFileAttributeDirectory,
              kFileAttributeDirectory);
    EXPECT_TRUE(platform.FileAttributes(dir.Dir(".hidden")).value_or(0) & kFileAttributeHidden);
    EXPECT_FALSE(platform.FileAttributes(dir.File("missing")).has_value());
    EXPECT_FALSE(platform.FileAttributes("").has_value());
}

TEST(PosixPlatform, ReadWholeFileTakesRegularFilesOnly)
{
    const test::TTempDir dir;
    const std::string text("Zelmaro\r\n\0x", 12);
    const std::string log = dir.Write("log.txt", text);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.File("device"));
    std::filesystem::create_symlink(log, dir.File("link"));

    EXPECT_EQ(ReadWholeFile(log), text);
    EXPECT_EQ(ReadWholeFile(dir.File("link")), text);
    // A FIFO without a writer would block the open, the device never ends.
    for (const char* name : {"fifo", "device", "missing", ""})
        EXPECT_FALSE(ReadWholeFile(*name ? dir.File(name) : "").has_value()) << name;
    EXPECT_FALSE(ReadWholeFile(dir.Path()).has_value());
}

TEST(PosixPlatform, FormatSettingsFollowTheLocaleEnvironment)
{
    // The C locale: decimal point, month/day/year.
    const test::TScopedEnv locale("LC_ALL", "C");
    FormatSettings c = SystemPlatform().UserFormatSettings();
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_EQ(c.ShortDateFormat, "MM/dd/yy");
    EXPECT_EQ(c.LongTimeFormat, "HH:mm:ss");
    EXPECT_EQ(c.DateSeparator, '/');
}

TEST(PosixPlatform, UsableCoresFollowTheAffinity)
{
    cpu_set_t all;
    cpu_set_t one;
    ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(UsableCoreCount(), static_cast<unsigned>(CPU_COUNT(&all)));
    CPU_ZERO(&one);
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    CPU_SET(first, &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    const unsigned pinned = UsableCoreCount();
    ::sched_setaffinity(0, sizeof all, &all);
    EXPECT_EQ(pinned, 1u);
}

TEST(PosixPlatform, ChildrenStartedAtOnceInheritNoneOfEachOthersPipes)
{
    // Had a sibling started meanwhile inherited a child's input, closing it
    // would not end the child.
    std::vector<std::unique_ptr<TPipedChildProcess>> children(16);
    const auto start = [&](std::size_t from) {
        for (std::size_t k = from; k < children.size(); k += 2) {
            int error = 0;
            children[k] = StartPipedChildProcess({"/bin/cat", {"/bin/cat"}, "cat"}, error);
        }
    };
    // The other thread stays until the end: its children end with it.
    std::latch started(1), checked(1);
    std::thread other([&] {
        start(1);
        started.count_down();
        checked.wait();
    });
    start(0);
    started.wait();
    for (std::size_t k = 0; k < children.size(); ++k) {
        ASSERT_NE(children[k], nullptr) << k;
        children[k]->CloseInput();
        EXPECT_EQ(children[k]->WaitForExit(5000), 0) << k << " still runs";
    }
    checked.count_down();
    other.join();
}

TEST(PosixPlatform, APipedChildIsInterruptedWhenItsStarterEnds)
{
    // Whatever ends this program, the tool is told as by Ctrl+C (here: the
    // thread that started it ends); nor does the terminal's Ctrl+C reach it.
    std::unique_ptr<TPipedChildProcess> child;
    std::thread([&] {
        int error = 0;
        child = StartPipedChildProcess({"/bin/sleep", {"/bin/sleep", "60"}, "sleep 60"}, error);
    }).join();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->WaitForExit(5000), 128 + SIGINT);
    int error = 0;
    const auto own =
        StartPipedChildProcess({"/bin/sleep", {"/bin/sleep", "60"}, "sleep 60"}, error);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(::getpgid(static_cast<pid_t>(own->Handle())), own->Handle());
}
