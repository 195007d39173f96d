#include "ChildHex.h"
#include "platform/ChildProcess.h"
#include "platform/Platform.h"
#include "runner/CommandLine.h"
#include "runner/ConsoleApp.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

// The test program is built next to this one.
std::string ChildPath()
{
    return (fs::path(SystemPlatform().ModuleFileName()).parent_path() / "runner_test_child.exe")
        .string();
}

bool RunningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

DWORD HandleCount()
{
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return count;
}

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() / ("zelmaro run " + std::to_string(random()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string File(const std::string& name, const std::string& content) const
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    fs::path dir_; // with a blank, so that quoting matters
};

template <typename Error> std::string MessageOf(const std::string& file, Lines& lines)
{
    try {
        RunConsoleApp(file, "", &lines);
    } catch (const Error& e) {
        return e.what();
    }
    return "(was run)";
}

} // namespace

TEST(Win32RunConsoleApp, OutputBecomesLinesAndTheExitCodeComesBack)
{
    struct Case {
        std::string parameters;
        Lines lines;
        std::int32_t exitCode;
    } cases[] = {
        {Out("abc\r\ndef\r\n") + " exit:3", {"abc", "def", ""}, 3},
        {Out("50%\r") + " sleep:20 " + Out("60%\r\ndone"), {"60%", "done"}, 0},
        {Out("abc"), {"abc"}, 0},
        {Out("a\nb\n"), {"a", "b", ""}, 0},
        {"", {""}, 0},
        {"exit:255", {""}, 255},
        {"exit:-1", {""}, -1},
        {"big:600", {std::string(256, 'x'), std::string(256, 'x'), std::string(88, 'x')}, 0},
    };
    for (const Case& c : cases) {
        Lines lines{"before"};
        EXPECT_EQ(RunConsoleApp(ChildPath(), c.parameters, &lines), c.exitCode) << c.parameters;
        Lines expected{"before"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(lines, expected) << c.parameters;
    }
}

TEST(Win32RunConsoleApp, MoreOutputThanThePipeHolds)
{
    Lines lines;
    EXPECT_EQ(RunConsoleApp(ChildPath(), "big:300000 " + Out("\r\nend") + " exit:1", &lines), 1);
    ASSERT_EQ(lines.size(), 300000 / 256 + 2);
    EXPECT_EQ(lines[lines.size() - 2], std::string(300000 % 256, 'x'));
    EXPECT_EQ(lines.back(), "end");
}

TEST(Win32RunConsoleApp, CallbackGetsTheRunningProcess)
{
    Lines lines;
    Lines seen;
    std::vector<DWORD> ids;
    RunConsoleApp(ChildPath(), Out("one\r\ntwo"), &lines,
                  [&](TProcessHandle handle, const std::string& line) {
                      ids.push_back(::GetProcessId(reinterpret_cast<HANDLE>(handle)));
                      seen.push_back(line);
                      EXPECT_EQ(lines.back(), line);
                  });
    EXPECT_EQ(lines, (Lines{"one", "two"}));
    EXPECT_EQ(seen, lines);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], 0u);
    EXPECT_NE(ids[0], ::GetCurrentProcessId());
    EXPECT_EQ(ids[0], ids[1]);

    seen.clear();
    RunConsoleApp(ChildPath(), Out("x\r\ny"), nullptr,
                  [&](TProcessHandle, const std::string& line) { seen.push_back(line); });
    EXPECT_EQ(seen, (Lines{"x", "y"}));
    EXPECT_EQ(RunConsoleApp(ChildPath(), Out("dropped") + " exit:5", nullptr), 5);
}

TEST(Win32RunConsoleApp, ArgumentsArriveAsQuoted)
{
    const Lines arguments{"plain",         "with blank",          "",
                          "quote\"inside", "C:\\dir\\",           "tab\there",
                          "\\\"",          "-ExposureTime=1/250", "\xe4\xf6\xfc"};
    std::string parameters = "args";
    Lines expected;
    for (const std::string& argument : arguments) {
        parameters += " " + QuoteArgument(argument);
        expected.push_back(ToHex(argument));
    }
    expected.push_back("");
    Lines lines;
    RunConsoleApp(ChildPath(), parameters, &lines);
    EXPECT_EQ(lines, expected);
}

TEST(Win32RunConsoleApp, ReturnsOnlyWhenEveryHolderClosedTheOutput)
{
    Lines lines;
    EXPECT_EQ(
        RunConsoleApp(ChildPath(), Out("a") + " linger:300:" + ToHex("b\r\n") + " exit:4", &lines),
        4);
    EXPECT_EQ(lines, (Lines{"ab", ""}));
}

TEST(Win32RunConsoleApp, ChildStillRunningAfterTheWaitGives259)
{
    if (RunningUnderWine())
        GTEST_SKIP() << "wine's console host keeps the child's output open until the child ends";
    Lines lines;
    EXPECT_EQ(RunConsoleApp(ChildPath(), Out("closing") + " close sleep:8000", &lines),
              kStillActive);
    EXPECT_EQ(lines, Lines{"closing"});
}

TEST(Win32RunConsoleApp, CallbackErrorEndsTheChildAndClosesEverything)
{
    RunConsoleApp(ChildPath(), "", nullptr); // first use settles lazily made handles
    const DWORD before = HandleCount();
    DWORD id = 0;
    Lines lines;
    EXPECT_THROW(RunConsoleApp(ChildPath(), Out("first\r\n") + " sleep:30000", &lines,
                               [&](TProcessHandle handle, const std::string&) {
                                   id = ::GetProcessId(reinterpret_cast<HANDLE>(handle));
                                   throw std::runtime_error("stop");
                               }),
                 std::runtime_error);
    EXPECT_EQ(lines, Lines{"first"});
    ASSERT_NE(id, 0u);
    if (const HANDLE child = ::OpenProcess(SYNCHRONIZE, FALSE, id)) {
        EXPECT_EQ(::WaitForSingleObject(child, 0), WAIT_OBJECT_0) << "the child still runs";
        ::CloseHandle(child);
    }
    EXPECT_EQ(HandleCount(), before);
}

TEST(Win32RunConsoleApp, CommandInterpreterAndBareNames)
{
    Lines lines;
    EXPECT_EQ(RunConsoleApp("cmd", "/c echo abc", &lines), 0);
    EXPECT_EQ(lines, (Lines{"abc", ""}));
    lines.clear();
    EXPECT_EQ(RunConsoleApp("CMD.EXE", "/c exit 7", &lines), 7);
    EXPECT_EQ(lines, Lines{""});
}

TEST_F(TempFiles, BatchFilesRunThroughTheInterpreter)
{
    const std::string bat = File("run.bat", "@echo off\r\necho one %1\r\necho two\r\n");
    Lines lines;
    EXPECT_EQ(RunConsoleApp(bat, "x", &lines), 0);
    EXPECT_EQ(lines, (Lines{"one x", "two", ""}));

    const std::string cmd = File("run.CMD", "@echo off\r\necho %~1\r\n");
    lines.clear();
    EXPECT_EQ(RunConsoleApp(cmd, "\"with blank\"", &lines), 0);
    EXPECT_EQ(lines, (Lines{"with blank", ""}));
}

TEST_F(TempFiles, RefusedProgramsLeaveTheListAlone)
{
    const std::string text = File("text.exe", std::string(100, 't'));
    const auto peImage = [](char subsystem) {
        std::string image(0x80 + 24 + 224, '\0');
        image[0] = 'M';
        image[1] = 'Z';
        image[60] = '\x80';
        image.replace(0x80, 2, "PE");
        image[0x80 + 4 + 18] = 0x02;
        image[0x80 + 24 + 68] = subsystem;
        return image;
    };
    const std::string gui = File("gui.exe", peImage(2));
    const std::string missing = (dir_ / "missing").string();
    struct Case {
        std::string file;
        std::string message;
    } cases[] = {
        {"notes.txt", "notes.txt has invalid file extension"},
        {missing, "Could not find file " + missing},
        {"zelmaro-no-such-program", "Could not find file zelmaro-no-such-program"},
        {text, "Dos signature not present"},
        {gui, "Executable image is not a supported type"},
        {"notepad", "Executable image is not a supported type"}, // a real graphical program
    };
    for (const Case& c : cases) {
        Lines lines{"untouched"};
        EXPECT_EQ(MessageOf<EInOutError>(c.file, lines), c.message);
        EXPECT_EQ(lines, Lines{"untouched"});
    }

    // Passes the header check but the system will not load it.
    const std::string broken = File("broken.exe", peImage(3));
    Lines lines{"untouched"};
    try {
        RunConsoleApp(broken, "", &lines);
        ADD_FAILURE() << "started";
    } catch (const EOSError& e) {
        EXPECT_NE(e.ErrorCode(), 0);
        EXPECT_EQ(e.what(), SystemErrorMessage(e.ErrorCode()));
        EXPECT_EQ(std::string(e.what()).rfind("Systemfehler. Code: ", 0), 0u);
    }
    EXPECT_EQ(lines, Lines{"untouched"});
}

TEST_F(TempFiles, SearchAddsTheDefaultExtension)
{
    fs::copy_file(ChildPath(), dir_ / "prog.exe");
    const std::string dir = dir_.string();
    const std::optional<std::string> found = SearchProgramOn("prog", dir);
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(fs::equivalent(*found, dir_ / "prog.exe")) << *found;
    EXPECT_TRUE(SearchProgramOn("PROG.EXE", dir).has_value());
    EXPECT_FALSE(SearchProgramOn("other", dir).has_value());
    EXPECT_FALSE(SearchProgramOn("", dir).has_value());

    const std::optional<std::string> cmd = SearchProgram("cmd");
    ASSERT_TRUE(cmd.has_value());
    EXPECT_EQ(UpperExtension(*cmd), ".EXE");
}

TEST(Win32RunConsoleApp, RunsLeaveNoHandleBehind)
{
    RunConsoleApp(ChildPath(), "", nullptr); // first use settles lazily made handles
    const DWORD before = HandleCount();
    for (int run = 0; run < 20; ++run) {
        Lines lines;
        ASSERT_EQ(RunConsoleApp(ChildPath(), Out("x") + " exit:" + std::to_string(run % 7), &lines),
                  run % 7);
        ASSERT_EQ(lines, Lines{"x"});
    }
    EXPECT_EQ(HandleCount(), before);
}

TEST(Win32RunnerRules, NtFamilyRunsBatchAndCommandFiles)
{
    const TRunnerRules rules = SystemRunnerRules();
    EXPECT_TRUE(rules.IsWinNT);
    EXPECT_TRUE(rules.BatchFiles);
    EXPECT_FALSE(IsNativeExecutable(ChildPath()));
}
