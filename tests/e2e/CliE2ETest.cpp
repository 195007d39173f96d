#include "E2ESession.h"

#include "CommandLine.h"
#include "ConsoleApp.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zelmaro;
using namespace zelmaro::testing;

namespace {

struct CliResult {
    int ExitCode;
    std::vector<std::string> Lines;
};

// Runs zelmaro-cli; its standard output as lines.
CliResult RunCli(const std::vector<std::string>& arguments)
{
    std::string parameters;
    for (const std::string& argument : arguments)
        parameters += QuoteArgument(argument) + " ";
    CliResult result{};
    result.ExitCode = RunConsoleApp(ZELMARO_CLI, parameters, &result.Lines);
    // The runner keeps what follows the last line end as a line of its own.
    while (!result.Lines.empty() && result.Lines.back().empty())
        result.Lines.pop_back();
    return result;
}

// The rows of a CSV table (after the header) as "mark name = shotExposure".
std::vector<std::string> CsvRows(const std::vector<std::string>& lines, std::size_t from,
                                 std::size_t count)
{
    std::vector<std::string> rows;
    for (std::size_t i = from; i < from + count && i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const char sep = line[1];
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const auto end = line.find(sep, start);
            fields.push_back(line.substr(start, end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        rows.push_back(fields.at(0) + " " + fields.at(1) + " " + fields.at(4) + " " + fields.at(6));
    }
    return rows;
}

} // namespace

// Whole-second exposure times only, so that the user's locale does not matter.
TEST(CliE2E, PrintsThePairsAndWritesExactlyTheCheckedImages)
{
    TempDir dir;
    WriteTaggedImages(dir.Path(), {{"IMG_1.JPG", "2008:01:05 21:03:12", "30"},
                                   {"IMG_2.JPG", "2008:01:05 21:04:12", "30"},
                                   {"IMG_3.JPG", "2008:01:05 21:05:12", "30"},
                                   {"IMG_4.JPG", "2008:01:05 21:06:12", "2"}});
    // IMG_3 has no entry in the log.
    dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103073-0801052104074-\r\n-0801052106072-\r\n");

    const CliResult result = RunCli({dir.Path(), "--auto-offset", "--write", "--format", "csv"});
    ASSERT_EQ(result.ExitCode, 0);
    ASSERT_EQ(result.Lines.size(), 10u) << ::testing::PrintToString(result.Lines);
    EXPECT_TRUE(result.Lines[0].starts_with("Eintragen"));
    // The missing entry shifts every row behind it.
    EXPECT_EQ(CsvRows(result.Lines, 1, 4),
              (std::vector<std::string>{"1 IMG_1.JPG = 3", "1 IMG_2.JPG = 4", "0 IMG_3.JPG <> 2",
                                        "0 IMG_4.JPG  "}));
    EXPECT_EQ(CsvRows(result.Lines, 6, 4),
              (std::vector<std::string>{"0 IMG_1.JPG = 3", "0 IMG_2.JPG = 4", "0 IMG_3.JPG <> 2",
                                        "0 IMG_4.JPG  "}));
    EXPECT_EQ(StoredExposure(dir.File("IMG_1.JPG")), "3");
    EXPECT_EQ(StoredExposure(dir.File("IMG_2.JPG")), "4");
    EXPECT_EQ(StoredExposure(dir.File("IMG_3.JPG")), "30");
    EXPECT_EQ(StoredExposure(dir.File("IMG_4.JPG")), "2");
}

TEST(CliE2E, ExitCodes)
{
    TempDir dir;
    WriteTaggedImages(dir.Path(), {{"a.JPG", "2008:01:05 21:03:12", ""}});
    EXPECT_EQ(RunCli({dir.Path(), "--format", "json"}).ExitCode, 1); // unreadable image
    EXPECT_EQ(RunCli({dir.Path(), "--tolerance"}).ExitCode, 2);
    EXPECT_EQ(RunCli({dir.File("none")}).ExitCode, 2);
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(std::any_of(help.Lines.begin(), help.Lines.end(),
                            [](const std::string& l) { return l.find("--write") != l.npos; }));
}
