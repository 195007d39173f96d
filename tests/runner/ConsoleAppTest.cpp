#include "runner/ConsoleApp.h"
#include "common/Expect.h"
#include "common/System.h"
#include "common/TempDir.h"
#include "platform/ChildProcess.h"
#include "runner/ChildHex.h"
#include "runner/CommandLine.h"
#include "runner/ExeImages.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/Platform.h"

#include <windows.h>
#else
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <filesystem>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

#ifdef _WIN32
// The test program is built next to this one.
const std::string kChild =
    (fs::path(SystemPlatform().ModuleFileName()).parent_path() / "runner_test_child.exe").string();
// Enough to fill the pipe many times over; wine's pipes are slow.
constexpr std::size_t kBig = 300000;

// What a run might leave open: the process's handles.
long OpenHandles()
{
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return static_cast<long>(count);
}

long ProcessId(TProcessHandle handle)
{
    return static_cast<long>(::GetProcessId(reinterpret_cast<HANDLE>(handle)));
}

const long kOwnId = static_cast<long>(::GetCurrentProcessId());
#else
const std::string kChild = ZELMARO_TEST_CHILD;
constexpr std::size_t kBig = 1000000;

// What a run might leave open: the process's descriptors.
long OpenHandles()
{
    long count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    while (const dirent* entry = ::readdir(dir))
        count += entry->d_name[0] != '.';
    ::closedir(dir);
    return count - 1; // the listing's own
}

long ProcessId(TProcessHandle handle)
{
    return static_cast<long>(handle);
}

const long kOwnId = static_cast<long>(::getpid());

bool NoChildLeft()
{
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}
#endif

class TempFiles : public ::testing::Test {
protected:
    std::string File(const std::string& name, const std::string& content) const
    {
        return FDir.Write(name, content, true);
    }

    TTempDir FDir{"zelmaro run "}; // with a blank, so that quoting matters
};

} // namespace

TEST(RunConsoleApp, OutputBecomesLinesAndTheExitCodeComesBack)
{
    // clang-format off
    const struct { std::string parameters; Lines lines; std::int32_t exitCode; } cases[] = {
        {Out("abc\r\ndef\r\n") + " exit:3", {"abc", "def", ""}, 3},
        {Out("50%\r") + " sleep:20 " + Out("60%\r\ndone"), {"60%", "done"}, 0},
        {Out("abc"), {"abc"}, 0}, {Out("a\nb\n"), {"a", "b", ""}, 0}, {"", {""}, 0},
        {"exit:255", {""}, 255},
        {"big:600", {std::string(256, 'x'), std::string(256, 'x'), std::string(88, 'x')}, 0},
#ifdef _WIN32
        {"exit:-1", {""}, -1},
#else
        {"err:not-captured " + Out("ok"), {"ok"}, 0},
        {"stdin", {"eof"}, 0}, {"fds", {"0,1,2"}, 0},
#endif
    };
    // clang-format on
    for (const auto& c : cases) {
        Lines lines{"before"};
        EXPECT_EQ(RunConsoleApp(kChild, c.parameters, &lines), c.exitCode) << c.parameters;
        Lines expected{"before"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(lines, expected) << c.parameters;
    }
}

TEST(RunConsoleApp, MoreOutputThanThePipeHolds)
{
    Lines lines;
    EXPECT_EQ(RunConsoleApp(
                  kChild, "big:" + std::to_string(kBig) + " " + Out("\r\nend") + " exit:1", &lines),
              1);
    ASSERT_EQ(lines.size(), kBig / 256 + 2);
    EXPECT_EQ(lines[lines.size() - 2], std::string(kBig % 256, 'x'));
    EXPECT_EQ(lines.back(), "end");
}

// Formerly Win32RunConsoleApp.CallbackGetsTheRunningProcess on Windows.
TEST(RunConsoleApp, CallbackGetsTheChildAfterTheList)
{
    Lines lines;
    Lines seen;
    std::vector<long> ids;
    RunConsoleApp(kChild, Out("one\r\ntwo"), &lines,
                  [&](TProcessHandle handle, const std::string& line) {
                      ids.push_back(ProcessId(handle));
                      seen.push_back(line);
                      EXPECT_EQ(lines.back(), line);
                  });
    EXPECT_EQ(lines, (Lines{"one", "two"}));
    EXPECT_EQ(seen, lines);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_GT(ids[0], 0);
    EXPECT_NE(ids[0], kOwnId);
    EXPECT_EQ(ids[0], ids[1]);

    seen.clear();
    RunConsoleApp(kChild, Out("x\r\ny"), nullptr,
                  [&](TProcessHandle, const std::string& line) { seen.push_back(line); });
    EXPECT_EQ(seen, (Lines{"x", "y"}));
    EXPECT_EQ(RunConsoleApp(kChild, Out("dropped") + " exit:5", nullptr), 5);
}

TEST(RunConsoleApp, ArgumentsArriveAsQuoted)
{
    const Lines arguments{"plain",         "with blank",   "",
                          "quote\"inside", "C:\\dir\\",    "tab\there",
                          "\\\"",          "\xe4\xf6\xfc", "-ExposureTime=1/250"};
    std::string parameters = "args";
    Lines expected;
    for (const std::string& argument : arguments) {
        parameters += " " + QuoteArgument(argument);
        expected.push_back(ToHex(argument));
    }
    expected.push_back("");
    Lines lines;
    RunConsoleApp(kChild, parameters, &lines);
    EXPECT_EQ(lines, expected);
}

TEST(RunConsoleApp, ReturnsOnlyWhenEveryHolderClosedTheOutput)
{
    Lines lines;
    EXPECT_EQ(RunConsoleApp(kChild, Out("a") + " linger:300:" + ToHex("b\r\n") + " exit:4", &lines),
              4);
    EXPECT_EQ(lines, (Lines{"ab", ""}));
#ifndef _WIN32
    EXPECT_TRUE(NoChildLeft());
#endif
}

TEST(RunConsoleApp, ChildStillRunningAfterTheWaitGives259)
{
#ifdef _WIN32
    if (RunningUnderWine())
        GTEST_SKIP() << "wine's console host keeps the child's output open until the child ends";
    const std::string sleep = " close sleep:8000";
#else
    const long handles = OpenHandles();
    const std::string sleep = " close sleep:30000";
#endif
    Lines lines;
    EXPECT_EQ(RunConsoleApp(kChild, Out("closing") + sleep, &lines), kStillActive);
    EXPECT_EQ(lines, Lines{"closing"});
#ifndef _WIN32
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenHandles(), handles);
#endif
}

TEST_F(TempFiles, RefusedProgramsLeaveTheListAlone)
{
    const std::string missing = FDir.File("missing");
    // clang-format off
    const struct { std::string file, message; } cases[] = {
        {"notes.txt", "notes.txt has invalid file extension"},
        {missing, "Could not find file " + missing},
        {"zelmaro-no-such-program", "Could not find file zelmaro-no-such-program"},
        {File("text.exe", std::string(100, 't')), "Dos signature not present"},
        {File("gui.exe", Pe(0x0102, 2)), "Executable image is not a supported type"},
#ifdef _WIN32
        {"notepad", "Executable image is not a supported type"}, // a real graphical program
#else
        {File("text", std::string(100, 't')), "Dos signature not present"},
        {"run.cmd", "run.cmd has invalid file extension"},
        {"run.bat", "run.bat has invalid file extension"},
#endif
    };
    // clang-format on
    for (const auto& c : cases) {
        Lines lines{"untouched"};
        EXPECT_EQ(MessageOf<EInOutError>([&] { RunConsoleApp(c.file, "", &lines); }), c.message);
        EXPECT_EQ(lines, Lines{"untouched"});
    }
}

// Passes the header check but the system will not load it (on Windows this
// was part of Win32RunConsoleApp's RefusedProgramsLeaveTheListAlone).
TEST_F(TempFiles, AnImageTheSystemCannotStartIsASystemError)
{
    const std::string console = File("console.exe", Pe(0x0102, 3));
    Lines lines{"untouched"};
    try {
        RunConsoleApp(console, "", &lines);
        ADD_FAILURE() << "started";
    } catch (const EOSError& e) {
#ifdef _WIN32
        EXPECT_NE(e.ErrorCode(), 0);
#else
        EXPECT_EQ(e.ErrorCode(), ENOEXEC);
#endif
        EXPECT_EQ(e.what(), SystemErrorMessage(e.ErrorCode()));
        EXPECT_EQ(std::string(e.what()).rfind("Systemfehler. Code: ", 0), 0u);
    }
    EXPECT_EQ(lines, Lines{"untouched"});
#ifndef _WIN32
    EXPECT_TRUE(NoChildLeft());
#endif
}

TEST(RunConsoleApp, BareNameIsSearchedOnThePath)
{
    if (kWindows)
        GTEST_SKIP() << "POSIX search path; CommandInterpreterAndBareNames covers Windows";
    const TScopedEnv path("PATH", ("/nowhere:" + fs::path(kChild).parent_path().string()).c_str());
    Lines lines;
    std::int32_t code = -1;
    EXPECT_NO_THROW(code = RunConsoleApp(fs::path(kChild).filename().string(), "exit:9", &lines));
    EXPECT_EQ(code, 9);
}

TEST(RunConsoleApp, CallbackErrorEndsTheChildAndClosesEverything)
{
    RunConsoleApp(kChild, "", nullptr); // first use settles lazily made handles
    const long handles = OpenHandles();
    long id = 0;
    Lines lines;
    EXPECT_THROW(RunConsoleApp(kChild, Out("first\r\n") + " sleep:30000", &lines,
                               [&](TProcessHandle handle, const std::string&) {
                                   id = ProcessId(handle);
                                   throw std::runtime_error("stop");
                               }),
                 std::runtime_error);
    EXPECT_EQ(lines, Lines{"first"});
    ASSERT_NE(id, 0);
#ifdef _WIN32
    if (const HANDLE child = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id))) {
        EXPECT_EQ(::WaitForSingleObject(child, 0), WAIT_OBJECT_0) << "the child still runs";
        ::CloseHandle(child);
    }
#else
    EXPECT_TRUE(NoChildLeft());
#endif
    EXPECT_EQ(OpenHandles(), handles);
}

// Formerly Win32RunConsoleApp.RunsLeaveNoHandleBehind on Windows (20 runs there).
TEST(RunConsoleApp, AThousandRunsLeaveNoDescriptorAndNoChild)
{
    RunConsoleApp(kChild, "", nullptr); // first use settles lazily made handles
    const long handles = OpenHandles();
    ASSERT_TRUE(handles > 0 || kWindows); // wine counts no handles
    const int runs = kWindows ? 20 : 1000;
    for (int run = 0; run < runs; ++run) {
        Lines lines;
        ASSERT_EQ(RunConsoleApp(kChild, Out("x") + " exit:" + std::to_string(run % 7), &lines),
                  run % 7);
        ASSERT_EQ(lines, Lines{"x"});
    }
    EXPECT_EQ(OpenHandles(), handles);
#ifndef _WIN32
    EXPECT_TRUE(NoChildLeft());
#endif
}

// The Windows cases: the command interpreter, batch files, default extensions.

TEST(RunConsoleApp, CommandInterpreterAndBareNames)
{
    if (!kWindows)
        GTEST_SKIP() << "Windows only";
    Lines lines;
    EXPECT_EQ(RunConsoleApp("cmd", "/c echo abc", &lines), 0);
    EXPECT_EQ(lines, (Lines{"abc", ""}));
    lines.clear();
    EXPECT_EQ(RunConsoleApp("CMD.EXE", "/c exit 7", &lines), 7);
    EXPECT_EQ(lines, Lines{""});
}

TEST_F(TempFiles, BatchFilesRunThroughTheInterpreter)
{
    if (!kWindows)
        GTEST_SKIP() << "Windows only";
    const std::string bat = File("run.bat", "@echo off\r\necho one %1\r\necho two\r\n");
    Lines lines;
    EXPECT_EQ(RunConsoleApp(bat, "x", &lines), 0);
    EXPECT_EQ(lines, (Lines{"one x", "two", ""}));

    const std::string cmd = File("run.CMD", "@echo off\r\necho %~1\r\n");
    lines.clear();
    EXPECT_EQ(RunConsoleApp(cmd, "\"with blank\"", &lines), 0);
    EXPECT_EQ(lines, (Lines{"with blank", ""}));
}

TEST_F(TempFiles, SearchAddsTheDefaultExtension)
{
    if (!kWindows)
        GTEST_SKIP() << "Windows only";
    fs::copy_file(kChild, FDir.File("prog.exe"));
    const std::optional<std::string> found = SearchProgramOn("prog", FDir.Path());
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(fs::equivalent(*found, FDir.File("prog.exe"))) << *found;
    EXPECT_TRUE(SearchProgramOn("PROG.EXE", FDir.Path()).has_value());
    EXPECT_FALSE(SearchProgramOn("other", FDir.Path()).has_value());
    EXPECT_FALSE(SearchProgramOn("", FDir.Path()).has_value());

    const std::optional<std::string> cmd = SearchProgram("cmd");
    ASSERT_TRUE(cmd.has_value());
    EXPECT_EQ(UpperExtension(*cmd), ".EXE");
}

TEST(RunnerRules, NtFamilyRunsBatchAndCommandFiles)
{
    if (!kWindows)
        GTEST_SKIP() << "Windows only";
    const TRunnerRules rules = SystemRunnerRules();
    EXPECT_TRUE(rules.IsWinNT);
    EXPECT_TRUE(rules.BatchFiles);
    EXPECT_FALSE(IsNativeExecutable(kChild));
}
