#include "runner/ConsoleApp.h"
#include "ChildHex.h"
#include "runner/CommandLine.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

const std::string kChild = ZELMARO_TEST_CHILD;

int OpenDescriptorCount()
{
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    while (const dirent* entry = ::readdir(dir))
        count += entry->d_name[0] != '.';
    ::closedir(dir);
    return count - 1; // the listing's own
}

bool NoChildLeft()
{
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zelmaro-run-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string File(const std::string& name, const std::string& content) const
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        ::chmod(path.c_str(), 0755);
        return path;
    }

    fs::path dir_;
};

} // namespace

TEST(RunConsoleApp, OutputBecomesLinesAndTheExitCodeComesBack)
{
    struct Case {
        std::string parameters;
        Lines lines;
        std::int32_t exitCode;
    } cases[] = {
        {Out("abc\r\ndef\r\n") + " exit:3", {"abc", "def", ""}, 3},
        {Out("50%\r") + " sleep:20 " + Out("60%\r\ndone"), {"60%", "done"}, 0},
        {Out("a\nb\n"), {"a", "b", ""}, 0},
        {"", {""}, 0},
        {"exit:255", {""}, 255},
        {"big:600", {std::string(256, 'x'), std::string(256, 'x'), std::string(88, 'x')}, 0},
        {"err:not-captured " + Out("ok"), {"ok"}, 0},
        {"stdin", {"eof"}, 0},
        {"fds", {"0,1,2"}, 0},
    };
    for (const Case& c : cases) {
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
    EXPECT_EQ(RunConsoleApp(kChild, "big:1000000 " + Out("\r\nend") + " exit:1", &lines), 1);
    ASSERT_EQ(lines.size(), 1000000 / 256 + 2);
    EXPECT_EQ(lines[lines.size() - 2], std::string(1000000 % 256, 'x'));
    EXPECT_EQ(lines.back(), "end");
}

TEST(RunConsoleApp, CallbackGetsTheChildAfterTheList)
{
    Lines lines;
    std::vector<TProcessHandle> handles;
    Lines seen;
    RunConsoleApp(kChild, Out("one\r\ntwo"), &lines,
                  [&](TProcessHandle handle, const std::string& line) {
                      handles.push_back(handle);
                      seen.push_back(line);
                      EXPECT_EQ(lines.back(), line);
                  });
    EXPECT_EQ(lines, (Lines{"one", "two"}));
    EXPECT_EQ(seen, lines);
    ASSERT_EQ(handles.size(), 2u);
    EXPECT_GT(handles[0], 0);
    EXPECT_EQ(handles[0], handles[1]);

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
    EXPECT_TRUE(NoChildLeft());
}

TEST(RunConsoleApp, ChildStillRunningAfterTheWaitGives259)
{
    const int descriptors = OpenDescriptorCount();
    Lines lines;
    EXPECT_EQ(RunConsoleApp(kChild, Out("closing") + " close sleep:30000", &lines), kStillActive);
    EXPECT_EQ(lines, Lines{"closing"});
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(TempFiles, RefusedProgramsLeaveTheListAlone)
{
    const std::string text = File("text", std::string(100, 't'));
    const std::string gui = File("gui.exe", [] {
        std::string image(0x80 + 24 + 224, '\0');
        image[0] = 'M';
        image[1] = 'Z';
        image[60] = '\x80';
        image.replace(0x80, 2, "PE");
        image[0x80 + 4 + 18] = 0x02;
        image[0x80 + 24 + 68] = 0x02;
        return image;
    }());
    struct Case {
        std::string file;
        std::string message;
    } cases[] = {
        {"notes.txt", "notes.txt has invalid file extension"},
        {"run.cmd", "run.cmd has invalid file extension"},
        {"run.bat", "run.bat has invalid file extension"},
        {(dir_ / "missing").string(), "Could not find file " + (dir_ / "missing").string()},
        {"zelmaro-no-such-program", "Could not find file zelmaro-no-such-program"},
        {text, "Dos signature not present"},
        {gui, "Executable image is not a supported type"},
    };
    for (const Case& c : cases) {
        Lines lines{"untouched"};
        try {
            RunConsoleApp(c.file, "", &lines);
            ADD_FAILURE() << c.file << " was run";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(lines, Lines{"untouched"});
    }
}

TEST_F(TempFiles, AnImageTheSystemCannotStartIsASystemError)
{
    std::string image(0x80 + 24 + 224, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[60] = '\x80';
    image.replace(0x80, 2, "PE");
    image[0x80 + 4 + 18] = 0x02;
    image[0x80 + 24 + 68] = 0x03; // a console program, but not for this system
    const std::string console = File("console.exe", image);
    Lines lines{"untouched"};
    try {
        RunConsoleApp(console, "", &lines);
        ADD_FAILURE() << "started";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), ENOEXEC);
        EXPECT_EQ(e.what(), SystemErrorMessage(ENOEXEC));
        EXPECT_EQ(std::string(e.what()).rfind("Systemfehler. Code: ", 0), 0u);
    }
    EXPECT_EQ(lines, Lines{"untouched"});
    EXPECT_TRUE(NoChildLeft());
}

TEST(RunConsoleApp, BareNameIsSearchedOnThePath)
{
    const char* saved = std::getenv("PATH");
    const std::string oldPath = saved != nullptr ? saved : "";
    ::setenv("PATH", ("/nowhere:" + fs::path(kChild).parent_path().string()).c_str(), 1);
    Lines lines;
    std::int32_t code = -1;
    EXPECT_NO_THROW(code = RunConsoleApp(fs::path(kChild).filename().string(), "exit:9", &lines));
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(code, 9);
}

TEST(RunConsoleApp, CallbackErrorEndsTheChildAndClosesEverything)
{
    const int descriptors = OpenDescriptorCount();
    Lines lines;
    EXPECT_THROW(
        RunConsoleApp(kChild, Out("first\r\n") + " sleep:30000", &lines,
                      [](TProcessHandle, const std::string&) { throw std::runtime_error("stop"); }),
        std::runtime_error);
    EXPECT_EQ(lines, Lines{"first"});
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST(RunConsoleApp, AThousandRunsLeaveNoDescriptorAndNoChild)
{
    const int descriptors = OpenDescriptorCount();
    ASSERT_GT(descriptors, 0);
    for (int run = 0; run < 1000; ++run) {
        Lines lines;
        const std::int32_t code =
            RunConsoleApp(kChild, Out("x") + " exit:" + std::to_string(run % 7), &lines);
        ASSERT_EQ(code, run % 7);
        ASSERT_EQ(lines, Lines{"x"});
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_TRUE(NoChildLeft());
}
