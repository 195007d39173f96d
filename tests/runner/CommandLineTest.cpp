#include "runner/CommandLine.h"
#include "runner/RunnerErrors.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace zelmaro;

namespace {

// A system of a few files whose answers the tests choose.
struct FakeSystem {
    std::map<std::string, std::string> found;    // name -> full path
    std::set<std::string> native;                // full paths
    std::map<std::string, TExeImageInfo> images; // full path -> header check
    int searches = 0;
    int headerChecks = 0;

    TLaunchProbe Probe()
    {
        return {[this](const std::string& name) -> std::optional<std::string> {
                    ++searches;
                    const auto it = found.find(name);
                    return it == found.end() ? std::nullopt : std::optional(it->second);
                },
                [this](const std::string& path) { return native.count(path) != 0; },
                [this](const std::string& path) {
                    ++headerChecks;
                    auto it = images.find(path);
                    if (it == images.end())
                        throw EInOutError("Dos signature not present");
                    return it->second;
                }};
    }
};

constexpr TRunnerRules kWinNT{true, true};
constexpr TRunnerRules kWin9x{false, true};
constexpr TRunnerRules kPosix{false, false};

} // namespace

TEST(UpperExtension, NamePartOnly)
{
    // clang-format off
    const struct { const char *file, *extension; } cases[] = {
        {"exiftool.exe", ".EXE"}, {"tool", ""},        {"a.b.Cmd", ".CMD"},
        {"dir.d/tool", ""},       {"dir.d\\tool", ""}, {"C:tool", ""},
        {".profile", ".PROFILE"}, {"x.\xe4", ".\xe4"}, {"tool.", "."},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(UpperExtension(c.file), c.extension) << c.file;
}

TEST(ChooseLaunch, ExtensionsKindsAndMessages)
{
    FakeSystem system;
    for (const char* name : {"console.exe", "gui.exe", "lib.exe", "dos.exe", "os2.exe", "win16.exe",
                             "le.exe", "old.com", "elf.exe", "text"})
        system.found[name] = std::string("/bin/") + name;
    system.found["exiftool"] = "/usr/bin/exiftool";
    system.native = {"/usr/bin/exiftool", "/bin/elf.exe"};
    using enum TExeImageKind;
    using enum TLaunchForm;
    // clang-format off
    system.images = {{"/bin/console.exe", {ikWin32, 3}}, {"/bin/gui.exe", {ikWin32, 2}},
                     {"/bin/lib.exe", {ikDll, 0}},       {"/bin/dos.exe", {ikDos, 0}},
                     {"/bin/os2.exe", {ikOS2, 0}},       {"/bin/win16.exe", {ikWin16, 0}},
                     {"/bin/le.exe", {ikLE, 0}}};
    const std::string badType = "Executable image is not a supported type";
    // A null program: refused with the message.
    const struct { const char* file; TRunnerRules rules; TLaunchForm form; const char* program;
                   std::string message; } cases[] = {
        {"console.exe", kPosix, lfQuoted, "/bin/console.exe", ""},
        {"console.exe", kWinNT, lfQuoted, "/bin/console.exe", ""},
        {"exiftool", kPosix, lfNative, "/usr/bin/exiftool", ""},
        {"elf.exe", kPosix, lfNative, "/bin/elf.exe", ""},
        {"gui.exe", kWinNT, {}, nullptr, badType}, {"lib.exe", kWinNT, {}, nullptr, badType},
        {"win16.exe", kWinNT, {}, nullptr, badType}, {"le.exe", kWinNT, {}, nullptr, badType},
        {"dos.exe", kWinNT, lfCommandShell, "/bin/dos.exe", ""},
        {"os2.exe", kWinNT, lfCommandShell, "/bin/os2.exe", ""},
        {"old.com", kWinNT, lfCommandShell, "/bin/old.com", ""},
        {"dos.exe", kWin9x, {}, nullptr, badType}, {"old.com", kPosix, {}, nullptr, badType},
        {"run.bat", kWin9x, lfQuoted, "run.bat", ""}, {"run.BAT", kWinNT, lfQuoted, "run.BAT", ""},
        {"run.cmd", kWinNT, lfQuoted, "run.cmd", ""},
        {"run.cmd", kWin9x, {}, nullptr, "run.cmd has invalid file extension"},
        {"run.bat", kPosix, {}, nullptr, "run.bat has invalid file extension"},
        {"notes.txt", kWinNT, {}, nullptr, "notes.txt has invalid file extension"},
        {"missing.exe", kWinNT, {}, nullptr, "Could not find file missing.exe"},
        {"missing", kPosix, {}, nullptr, "Could not find file missing"},
        {"text", kPosix, {}, nullptr, "Dos signature not present"},
    };
    // clang-format on
    for (const auto& c : cases) {
        try {
            const TLaunchPlan plan = ChooseLaunch(c.file, c.rules, system.Probe());
            ASSERT_NE(c.program, nullptr) << c.file << " was not refused";
            EXPECT_EQ(plan.Form, c.form) << c.file;
            EXPECT_EQ(plan.Program, c.program) << c.file;
        } catch (const EInOutError& e) {
            EXPECT_EQ(c.program, nullptr) << c.file << ": " << e.what();
            EXPECT_EQ(e.what(), c.message) << c.file;
        }
    }
}

TEST(ChooseLaunch, RefusesBeforeSearchingAndComFilesAreNotRead)
{
    FakeSystem system;
    system.found = {{"old.com", "/bin/old.com"}};
    EXPECT_THROW(ChooseLaunch("notes.txt", kWinNT, system.Probe()), EInOutError);
    EXPECT_THROW(ChooseLaunch("run.bat", kPosix, system.Probe()), EInOutError);
    EXPECT_EQ(system.searches, 0);
    ChooseLaunch("run.bat", kWinNT, system.Probe()); // batch files are not searched
    EXPECT_EQ(system.searches, 0);
    ChooseLaunch("old.com", kWinNT, system.Probe());
    EXPECT_EQ(system.searches, 1);
    EXPECT_EQ(system.headerChecks, 0);
}

TEST(FormatCommandLine, Forms)
{
    EXPECT_EQ(FormatCommandLine({TLaunchForm::lfQuoted, "C:\\Prog\\exiftool.exe"}, "-P a.jpg"),
              "\"C:\\Prog\\exiftool.exe\" -P a.jpg");
    EXPECT_EQ(FormatCommandLine({TLaunchForm::lfQuoted, "run.bat"}, ""), "\"run.bat\" ");
    EXPECT_EQ(FormatCommandLine({TLaunchForm::lfCommandShell, "C:\\dos.exe"}, "x"),
              "cmd /c\"\"C:\\dos.exe\" x\"");
}

TEST(MakeProcessCommand, ProgramFirstThenSplitParameters)
{
    const TProcessCommand command =
        MakeProcessCommand({TLaunchForm::lfNative, "/usr/bin/exiftool"},
                           "\"/home/a b/IMG 1.JPG\" -CreateDate -ExposureTime");
    EXPECT_EQ(command.Program, "/usr/bin/exiftool");
    EXPECT_EQ(command.Arguments,
              (std::vector<std::string>{"/usr/bin/exiftool", "/home/a b/IMG 1.JPG", "-CreateDate",
                                        "-ExposureTime"}));
    EXPECT_EQ(command.CommandLine,
              "\"/usr/bin/exiftool\" \"/home/a b/IMG 1.JPG\" -CreateDate -ExposureTime");
}

// Arguments reach POSIX as they are: a quote, a backslash or a blank inside
// one is never re-split; Windows gets them quoted into one line.
TEST(MakeProcessCommand, ArgumentsAreKeptWholeAndQuotedForWindows)
{
    const std::vector<std::string> arguments = {"-ExposureTime=1/3", "/a \"b\"\\ c.JPG", ""};
    const TProcessCommand command =
        MakeProcessCommand({TLaunchForm::lfNative, "/usr/bin/exiftool"}, arguments);
    EXPECT_EQ(command.Arguments, (std::vector<std::string>{"/usr/bin/exiftool", arguments[0],
                                                           arguments[1], arguments[2]}));
    EXPECT_EQ(
        SplitCommandLine(command.CommandLine),
        (std::vector<std::string>{"/usr/bin/exiftool", arguments[0], arguments[1], arguments[2]}));
}

TEST(SplitCommandLine, WindowsRuntimeRules)
{
    using Args = std::vector<std::string>;
    // clang-format off
    const struct { const char* text; Args arguments; } cases[] = {
        {"", {}}, {"  \t ", {}}, {"a b\tc", {"a", "b", "c"}}, {"  a   b  ", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}}, {"\"\"", {""}}, {"a\"b c\"d", {"ab cd"}},
        {"\"unclosed quote", {"unclosed quote"}},
        {"a\\b\\\\c", {"a\\b\\\\c"}}, // backslashes alone are literal
        {"a\\\"b", {"a\"b"}},         // \" is a quote
        {"a\\\\\"b c\"", {"a\\b c"}}, // \\" is a backslash, then quoting
        {"a\\\\\\\"b", {"a\\\"b"}},   // \\\" is a backslash and a quote
        {"\"a\"\"b\"", {"a\"b"}},     // "" inside quotes is a quote
        {"\"a\"\"\" b", {"a\"", "b"}}, {"\"C:\\Fotos\\\\\" x", {"C:\\Fotos\\", "x"}},
        {"\xe4\xf6 \x01", {"\xe4\xf6", "\x01"}},
        {"a\nb", {"a\nb"}}, // only blanks and tabs separate
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandLine(c.text), c.arguments) << c.text;
}

TEST(QuoteArgument, EveryArgumentSplitsBackUnchanged)
{
    EXPECT_EQ(QuoteArgument("plain"), "plain");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
    EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteArgument("C:\\a b\\"), "\"C:\\a b\\\\\"");

    std::mt19937 random(20261208);
    // Mostly the characters the rules care about, then any byte but NUL.
    const std::string special = " \t\"\\\\\\";
    auto randomArgument = [&](std::size_t maxLength) {
        std::string argument(random() % (maxLength + 1), '\0');
        for (char& c : argument)
            c = random() % 3 == 0 ? special[random() % special.size()]
                                  : static_cast<char>(1 + random() % 255);
        return argument;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::string argument = randomArgument(12);
        ASSERT_EQ(SplitCommandLine(QuoteArgument(argument)), std::vector<std::string>{argument})
            << "[" << argument << "] as [" << QuoteArgument(argument) << "]";
    }
    for (int round = 0; round < 1000; ++round) {
        std::vector<std::string> arguments(1 + random() % 5);
        std::string text;
        for (std::string& argument : arguments) {
            argument = randomArgument(8);
            text += (text.empty() ? "" : " ") + QuoteArgument(argument);
        }
        ASSERT_EQ(SplitCommandLine(text), arguments) << text;
    }
}
