#include "E2ESession.h"

#include "cli/CliApp.h"
#include "platform/Platform.h"
#include "runner/CommandLine.h"
#include "runner/ConsoleApp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include <pwd.h>
#include <unistd.h>

using namespace zelmaro;
using namespace zelmaro::test;
using ::testing::Contains, ::testing::Each, ::testing::EndsWith, ::testing::HasSubstr,
    ::testing::Not, ::testing::StartsWith;
using Texts = std::vector<std::string>;

namespace {

struct CliResult {
    int ExitCode;
    std::vector<std::string> Lines;
};

// Runs zelmaro-cli; its standard output as lines. With a prefix (a command
// that runs the rest), its error output comes in the same lines.
CliResult RunCli(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& prefix = {})
{
    std::vector<std::string> command = {ZELMARO_CLI};
    if (!prefix.empty()) {
        command = {"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh"};
        command.insert(command.end(), prefix.begin(), prefix.end());
        command.push_back(ZELMARO_CLI);
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string parameters;
    for (std::size_t i = 1; i < command.size(); ++i)
        parameters += QuoteArgument(command[i]) + " ";
    CliResult result{};
    result.ExitCode = RunConsoleApp(command[0], parameters, &result.Lines);
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
        // A separator after the last field keeps an empty one.
        std::istringstream line(lines[i] + lines[i][1]);
        std::vector<std::string> fields;
        for (std::string field; std::getline(line, field, lines[i][1]);)
            fields.push_back(field);
        rows.push_back(fields.at(0) + " " + fields.at(1) + " " + fields.at(4) + " " + fields.at(6));
    }
    return rows;
}

// Runs the command line in this process: exit code, output and error text.
struct InProcessResult {
    int ExitCode;
    std::string Out, Err;
};
InProcessResult RunInProcess(const std::vector<std::string>& arguments)
{
    TCliEnvironment environment{.Settings = FormatSettings::German()};
    std::ostringstream out, err;
    const int code = zelmaro::RunCli(arguments, out, err, environment);
    return {code, out.str(), err.str()};
}

// Each case works in a folder of its own.
struct CliE2E : ::testing::Test {
    TempDir Dir;
};

} // namespace

// Whole-second exposure times only, so that the user's locale does not matter.
TEST_F(CliE2E, PrintsThePairsAndWritesExactlyTheCheckedImages)
{
    WriteTaggedImages(Dir.Path(), {{"IMG_1.JPG", "2008:01:05 21:03:12", "30"},
                                   {"IMG_2.JPG", "2008:01:05 21:04:12", "30"},
                                   {"IMG_3.JPG", "2008:01:05 21:05:12", "30"},
                                   {"IMG_4.JPG", "2008:01:05 21:06:12", "2"}});
    // IMG_3 has no entry in the log.
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103073-0801052104074-\r\n-0801052106072-\r\n");

    const CliResult result = RunCli({Dir.Path(), "--auto-offset", "--write", "--format", "csv"});
    ASSERT_EQ(result.ExitCode, 0);
    ASSERT_EQ(result.Lines.size(), 10u) << ::testing::PrintToString(result.Lines);
    EXPECT_THAT(result.Lines[0], StartsWith("Eintragen"));
    // The missing entry shifts every row behind it.
    EXPECT_EQ(CsvRows(result.Lines, 1, 4),
              (Texts{"1 IMG_1.JPG '= 3", "1 IMG_2.JPG '= 4", "0 IMG_3.JPG <> 2", "0 IMG_4.JPG  "}));
    EXPECT_EQ(CsvRows(result.Lines, 6, 4),
              (Texts{"0 IMG_1.JPG '= 3", "0 IMG_2.JPG '= 4", "0 IMG_3.JPG <> 2", "0 IMG_4.JPG  "}));
    EXPECT_EQ(EachFile(Dir, {"IMG_1.JPG", "IMG_2.JPG", "IMG_3.JPG", "IMG_4.JPG"}, StoredExposure),
              (Texts{"3", "4", "30", "2"}));
}

// The output of a run, each line followed by its line end.
std::string Text(const CliResult& result)
{
    std::string text;
    for (const std::string& line : result.Lines)
        text += line + '\n';
    return text;
}

TEST_F(CliE2E, WritesWhatDiffersOnceAndNeverAnAbsurdValue)
{
    const std::vector<std::string> names = {"A.JPG", "B.JPG", "C.JPG", "D.JPG", "E.JPG"};
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:12", "1/60"},
                                   {"B.JPG", "2008:01:05 21:04:12", "2"},
                                   {"C.JPG", "2008:01:05 21:05:12", "30"},
                                   {"D.JPG", "2008:01:05 21:06:12", "30"},
                                   {"E.JPG", "2008:01:05 21:07:12", "2"}});
    // The log in the decimal separator the program will read it with.
    std::string log = "Zelmaro\n-0801052103120,0166666666666667-0801052104121,25-"
                      "0801052105120,0166-0801052106120,333333333333333-0801052107120-\n";
    std::replace(log.begin(), log.end(), ',',
                 SystemPlatform().UserFormatSettings().DecimalSeparator);
    Dir.Write("Zelmaro.txt", log);
    const auto original = EachFile(Dir, names, FileBytes);

    const CliResult first = RunCli({Dir.Path(), "--write", "--format", "json"});
    ASSERT_EQ(first.ExitCode, 0);
    const std::string document = Text(first);
    EXPECT_THAT(document, StartsWith("{\n\"offset\": 0,\n\"tolerance\": 1,\n\"rows\": [\n"));
    EXPECT_THAT(document, EndsWith("\"written\": [\"B.JPG\", \"C.JPG\", \"D.JPG\"],\n"
                                   "\"failed\": []\n}\n"));
    EXPECT_THAT(document, Not(HasSubstr("\"checked\": true")));
    const auto written = EachFile(Dir, names, FileBytes);
    EXPECT_EQ(written[0], original[0]);
    EXPECT_EQ(written[4], original[4]) << "a logged 0 is never written";
    EXPECT_NE(written[1], original[1]);

    // Nothing is left to write, and every image still reads.
    const CliResult second = RunCli({Dir.Path(), "--write", "--format", "csv"});
    EXPECT_EQ(second.ExitCode, 0);
    EXPECT_EQ(EachFile(Dir, names, FileBytes), written);
    ASSERT_EQ(second.Lines.size(), 12u) << Text(second);
    for (const std::string& row : CsvRows(second.Lines, 1, 5))
        EXPECT_EQ(row.substr(0, 2), "0 ") << row;
}

TEST_F(CliE2E, ADryRunPrintsTheArgumentFileTheWriteWouldRunAndChangesNothing)
{
    const Texts names = {"IMG_1.JPG", "IMG_2.JPG", "IMG_3.JPG"};
    WriteTaggedImages(Dir.Path(), {{"IMG_1.JPG", "2008:01:05 21:03:12", "30"},
                                   {"IMG_2.JPG", "2008:01:05 21:04:12", "30"},
                                   {"IMG_3.JPG", "2008:01:05 21:05:12", "2"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103123-0801052104124-0801052105122-\r\n");
    const auto before = EachFile(Dir, names, FileBytes);

    const CliResult dry = RunCli({Dir.Path(), "--dry-run"});
    ASSERT_EQ(dry.ExitCode, 0);
    EXPECT_EQ(Text(dry), "-ExposureTime=3\n-ShutterSpeedValue=3\n-P\n" + Dir.File("IMG_1.JPG") +
                             "\n-execute\n-ExposureTime=4\n-ShutterSpeedValue=4\n-P\n" +
                             Dir.File("IMG_2.JPG") + "\n");
    EXPECT_EQ(EachFile(Dir, names, FileBytes), before);
    // The tool runs it to the same end as --write.
    Dir.Write("args.txt", Text(dry));
    RunExifTool({"-@", Dir.File("args.txt")});
    EXPECT_EQ(EachFile(Dir, names, StoredExposure), (Texts{"3", "4", "2"}));

    EXPECT_EQ(RunCli({Dir.Path(), "--dry-run", "--format", "json"}).ExitCode, 2);
    EXPECT_EQ(RunCli({Dir.Path(), "--dry-run", "--write"}).ExitCode, 2);
}

TEST_F(CliE2E, TheApexValueIsWrittenAlongAndACamerasBulbDurationIsNamed)
{
    WriteTaggedImages(Dir.Path(), {{"IMG_1.JPG", "2008:01:05 21:03:12", "2"}});
    RunExifTool({"-ShutterSpeedValue=2", "-overwrite_original", Dir.File("IMG_1.JPG")});
    std::string log = "Zelmaro\r\n-08010521031230-";
    // A camera that keeps a bulb duration of 4 s beside the exposure time.
    const std::string fixtures = ZELMARO_CAMERA_FIXTURES;
    const bool camera = std::filesystem::is_directory(fixtures);
    if (camera) {
        std::filesystem::copy_file(fixtures + "/Canon.jpg", Dir.File("Canon.jpg"));
        std::filesystem::permissions(Dir.File("Canon.jpg"), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        log += "03120406465230-";
    }
    Dir.Write("Zelmaro.txt", log + "\r\n");

    const CliResult result = RunCli({Dir.Path(), "--write"}, {"env"});
    EXPECT_EQ(result.ExitCode, 0) << Text(result);
    Texts names = {"IMG_1.JPG"};
    if (camera)
        names.push_back("Canon.jpg");
    for (const std::string& name : names) {
        EXPECT_EQ(StoredExposure(Dir.File(name)), "30") << name;
        EXPECT_EQ(RunExifTool({"-s3", "-ShutterSpeedValue", Dir.File(name)}).at(0), "30") << name;
    }
    const std::string note = "Hinweis: Bild \"Canon.jpg\": Die Datei trägt außerdem eine "
                             "Bulb-Dauer von 4 s (BulbDuration)";
    if (camera)
        EXPECT_THAT(Text(result), HasSubstr(note));
    else
        EXPECT_THAT(Text(result), Not(HasSubstr("Bulb")));
}

// 123456,789 s is stored as 2345679/19 s and read back as 123456.7895.
TEST_F(CliE2E, AValueTheFileHoldsAsARationalCountsAsWrittenOnce)
{
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:12", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\n-080105210312123456,789-\n");
    const auto first = RunInProcess({Dir.Path(), "--write", "--format", "json"});
    EXPECT_EQ(first.ExitCode, 0) << first.Err;
    EXPECT_THAT(first.Out, EndsWith("\"written\": [\"A.JPG\"],\n\"failed\": []\n}\n"));
    EXPECT_THAT(first.Out, Not(HasSubstr("\"checked\": true")));
    const std::string written = FileBytes(Dir.File("A.JPG"));

    const auto second = RunInProcess({Dir.Path(), "--write", "--format", "json"});
    EXPECT_EQ(second.ExitCode, 0) << second.Err;
    EXPECT_THAT(second.Out, EndsWith("\"written\": [],\n\"failed\": []\n}\n"));
    EXPECT_THAT(second.Out, Not(HasSubstr("\"checked\": true")));
    EXPECT_EQ(FileBytes(Dir.File("A.JPG")), written);
}

// A film roll: scans dated by the scanner, and a log that gives each
// frame's lens settings and moment.
namespace {

// Two film scans and their roll's log: the second frame's exposure time
// agrees, only its f-number does not. The arguments that pair them.
Texts FilmRoll(const TempDir& dir, const Texts& names)
{
    WriteTaggedImages(dir.Path(), {{names[0], "2024:03:01 10:00:00", "1"},
                                   {names[1], "2024:03:01 10:00:05", "1"}});
    const std::string log = dir.Write(
        "roll.json",
        "[{\"SourceFile\": \"roll/01.jpg\", \"DateTimeOriginal\": \"2023:10:14 21:03:07\","
        " \"ExposureTime\": \"1/250\", \"FNumber\": 5.6, \"FocalLength\": \"50 mm\", \"ISO\": 400,"
        " \"ImageNumber\": 1, \"LensModel\": \"Summicron 50 \\u00e9\"},"
        " {\"SourceFile\": \"roll/02.jpg\", \"DateTimeOriginal\": \"2023:10:14 21:05:00\","
        " \"ExposureTime\": 1, \"FNumber\": 8, \"ImageNumber\": 2}]");
    return {dir.Path(), "--log", log, "--align", "frame"};
}

// What a file holds of the set, as the tool itself reads it.
std::string HeldSet(const std::string& path)
{
    std::string values;
    for (const std::string& line :
         RunExifTool({"-s3", "-FNumber", "-ApertureValue", "-ISO", "-FocalLength", "-LensModel",
                      "-DateTimeOriginal", "-ExposureTime", "-CreateDate", path}))
        values += line.empty() ? "" : line + "|";
    return values;
}

} // namespace

TEST_F(CliE2E, WriteAllPutsTheWholeLoggedSetIntoFilmScansOnceAndRestoreTakesItBack)
{
    const Texts names = {"roll_01.jpg", "roll_02.jpg"};
    const Texts film = FilmRoll(Dir, names);
    const Texts scans = EachFile(Dir, names, FileBytes);
    const auto with = [&](Texts more) {
        Texts arguments = film;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return RunInProcess(arguments);
    };

    EXPECT_THAT(with({"--dry-run"}).Out, Not(HasSubstr(names[1])));
    const auto dry = with({"--dry-run", "--write-all"});
    EXPECT_THAT(dry.Out, HasSubstr("-ExposureTime=0.004\n-ShutterSpeedValue=0.004\n-FNumber=5.6\n"
                                   "-ApertureValue=5.6\n-ISO=400\n-FocalLength=50\n"
                                   "-LensModel=Summicron 50 \xC3\xA9\n"
                                   "-DateTimeOriginal=2023:10:14 21:03:07\n-P\n"));
    EXPECT_THAT(dry.Out, HasSubstr("-FNumber=8\n-ApertureValue=8\n-DateTimeOriginal=2023:10:14 "
                                   "21:05:00\n-P\n" +
                                   Dir.File(names[1])));
    const auto before = with({"--write-all", "--format", "json"});
    EXPECT_THAT(before.Out, HasSubstr("\"differs\": [\"aperture\", \"dateTimeOriginal\"]"));

    const auto first = with({"--write-all", "--write", "--format", "json"});
    EXPECT_EQ(first.ExitCode, 0) << first.Err;
    EXPECT_THAT(first.Out, EndsWith("\"written\": [\"roll_01.jpg\", \"roll_02.jpg\"],\n"
                                    "\"failed\": []\n}\n"));
    EXPECT_THAT(first.Out, Not(HasSubstr("\"checked\": true")));
    EXPECT_THAT(first.Out, HasSubstr("\"imageAperture\": 5.6, \"imageIso\": 400, "
                                     "\"imageFocalLength\": 50, \"imageLens\": \"Summicron 50 "
                                     "\xC3\xA9\", \"imageDateTimeOriginal\": \"14.10.2023 "
                                     "21:03:07\"}"));
    EXPECT_EQ(EachFile(Dir, names, HeldSet),
              (Texts{"5.6|5.6|400|50.0 mm|Summicron 50 \xC3\xA9|2023:10:14 21:03:07|1/250|"
                     "2024:03:01 10:00:00|",
                     "8.0|8.0|2023:10:14 21:05:00|1|2024:03:01 10:00:05|"}));

    // Our own write is no change of the picture, and nothing is left to write.
    const Texts written = EachFile(Dir, names, FileBytes);
    const auto second = with({"--write-all", "--write", "--format", "json"});
    EXPECT_EQ(second.ExitCode, 0) << second.Err;
    EXPECT_THAT(second.Out, EndsWith("\"written\": [],\n\"failed\": []\n}\n"));
    EXPECT_THAT(second.Err, Not(HasSubstr("geändert")));
    EXPECT_EQ(EachFile(Dir, names, FileBytes), written);

    const auto restored = RunInProcess({Dir.Path(), "--restore"});
    EXPECT_EQ(restored.ExitCode, 0) << restored.Err;
    EXPECT_EQ(EachFile(Dir, names, FileBytes), scans);
}

// The same set into NAME.EXT.xmp sidecars: the scans stay as they are, the
// sidecars hold the values, a second run finds them there, and a restore
// takes the sidecars away again.
TEST_F(CliE2E, WriteAllIntoSidecarsLeavesTheScansAlone)
{
    const Texts names = {"roll_01.jpg", "roll_02.jpg"};
    Texts arguments = FilmRoll(Dir, names);
    arguments.insert(arguments.end(), {"--write-all", "--sidecar=ext.xmp", "--write"});
    const Texts scans = EachFile(Dir, names, FileBytes);
    const auto first = RunInProcess(arguments);
    EXPECT_EQ(first.ExitCode, 0) << first.Err;
    EXPECT_EQ(EachFile(Dir, names, FileBytes), scans);
    EXPECT_EQ(EachFile(Dir, {"roll_01.jpg.xmp", "roll_02.jpg.xmp"}, HeldSet),
              (Texts{"5.6|5.6|400|50.0 mm|Summicron 50 \xC3\xA9|2023:10:14 21:03:07|1/250|",
                     "8.0|8.0|2023:10:14 21:05:00|1|"}));
    const Texts sidecars = EachFile(Dir, {"roll_01.jpg.xmp", "roll_02.jpg.xmp"}, FileBytes);
    const auto second = RunInProcess(arguments);
    EXPECT_EQ(second.ExitCode, 0) << second.Err;
    EXPECT_THAT(second.Out, Not(HasSubstr("[x]")));
    EXPECT_EQ(EachFile(Dir, {"roll_01.jpg.xmp", "roll_02.jpg.xmp"}, FileBytes), sidecars);
    EXPECT_EQ(RunInProcess({Dir.Path(), "--restore"}).ExitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("roll_01.jpg.xmp")));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("roll_02.jpg.xmp_original")));
    EXPECT_EQ(EachFile(Dir, names, FileBytes), scans);
}

TEST_F(CliE2E, AReadOnlyDirectoryIsReportedAndLeftAlone)
{
    WriteTaggedImages(
        Dir.Path(), {{"A.JPG", "2008:01:05 21:03:12", "2"}, {"B.JPG", "2008:01:05 21:04:12", "2"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\n-08010521031230-08010521041230-\n");
    namespace fs = std::filesystem;
    std::vector<std::string> prefix = {"/usr/bin/env"};
    if (::geteuid() == 0) {
        // Root may write anywhere: run as nobody, who may change the files
        // but not the directory.
        if (!fs::exists("/usr/bin/setpriv") || !::getpwnam("nobody"))
            GTEST_SKIP() << "running as root without setpriv or the user nobody";
        for (const char* name : {"A.JPG", "B.JPG"})
            fs::permissions(Dir.File(name),
                            fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write,
                            fs::perm_options::add);
        prefix = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=65534", "--clear-groups"};
    } else {
        fs::permissions(Dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    const auto original = EachFile(Dir, {"A.JPG", "B.JPG"}, FileBytes);
    const CliResult result = RunCli({Dir.Path(), "--write"}, prefix);
    fs::permissions(Dir.Path(), fs::perms::owner_all);

    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(EachFile(Dir, {"A.JPG", "B.JPG"}, FileBytes), original);
    for (const std::string name : {"A.JPG", "B.JPG"})
        EXPECT_THAT(result.Lines,
                    Contains(StartsWith("Fehler: Bild \"" + name +
                                        "\" nicht geändert: exiftool: Error creating file")));
}

TEST_F(CliE2E, ExitCodes)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:12", ""}});
    const CliResult unreadable = RunCli({Dir.Path(), "--format", "json", "--write"});
    EXPECT_EQ(unreadable.ExitCode, 1);
    // The scan ended before there was a table to show.
    EXPECT_EQ(Text(unreadable), "{\n\"error\": \"Fehler beim Auslesen von Bild \\\"a.JPG\\\"!\",\n"
                                "\"offset\": 0,\n\"tolerance\": 1\n}\n");
    EXPECT_EQ(RunCli({Dir.Path(), "--tolerance"}).ExitCode, 2);
    EXPECT_EQ(RunCli({Dir.File("none")}).ExitCode, 2);
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_THAT(help.Lines, Contains(HasSubstr("--write")));
}

TEST_F(CliE2E, ALogWithoutEntriesIsNamedAndNothingIsWritten)
{
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:12", "30"}});
    const std::string log = Dir.Write("Zelmaro.txt", "Protokoll\r\n-0801052103122-\r\n");
    const auto original = FileBytes(Dir.File("A.JPG"));
    const auto refused = RunInProcess({Dir.Path(), "--write"});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_THAT(refused.Err, HasSubstr("\n0 Einträge gelesen, 0 Zeilen übergangen\nWarnung: Die "
                                       "Datei \"" +
                                       log +
                                       "\" ist kein Protokoll: die erste Zeile ist nicht "
                                       "\"Zelmaro\".\n"));
    EXPECT_EQ(FileBytes(Dir.File("A.JPG")), original);
    EXPECT_EQ(RunInProcess({Dir.Path()}).ExitCode, 0) << "without --write only a warning";

    // With a byte-order mark and a blank after the title it is a log.
    Dir.Write("Zelmaro.txt", "\xEF\xBB\xBFZelmaro \r\n-0801052103122-\r\nStativ\r\n");
    const auto written = RunInProcess({Dir.Path(), "--write"});
    EXPECT_EQ(written.ExitCode, 0) << written.Err;
    EXPECT_THAT(written.Err, HasSubstr("\n1 Eintrag gelesen, 1 Zeile übergangen\n"));
    EXPECT_THAT(written.Err, Not(HasSubstr("Warnung")));
    EXPECT_EQ(StoredExposure(Dir.File("A.JPG")), "2");
}

TEST_F(CliE2E, CameraAnHourOffIsFoundInHours)
{
    // The camera runs on summer time: 3607 s after the remote release.
    WriteTaggedImages(Dir.Path(), {{"IMG_1.JPG", "2008:07:05 22:03:14", "30"},
                                   {"IMG_2.JPG", "2008:07:05 22:04:14", "30"},
                                   {"IMG_3.JPG", "2008:07:05 22:05:14", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0807052103073-0807052104074-0807052105075-\r\n");

    // Nothing pairs inside the range: the offset stays 0, the best is named.
    const auto outside = RunInProcess({Dir.Path(), "--auto-offset", "--format", "json"});
    ASSERT_EQ(outside.ExitCode, 0) << outside.Err;
    EXPECT_THAT(outside.Err,
                HasSubstr("\nBester Versatz +1 h 0 min 7 s liegt außerhalb des Bereichs – "
                          "Zeitzone oder Sommerzeit der Kamera?\n"));
    EXPECT_THAT(
        outside.Out,
        StartsWith("{\n\"offset\": 0,\n\"tolerance\": 1,\n\"autoOffset\": {\"offset\": 0, "
                   "\"pairs\": 0, "
                   "\"runnerUp\": null, \"runnerUpPairs\": 0, \"best\": 3607},\n\"rows\": [\n"));

    const auto widened = RunInProcess(
        {Dir.Path(), "--auto-offset", "--max-offset", "7200", "--format", "csv", "--write"});
    ASSERT_EQ(widened.ExitCode, 0) << widened.Err;
    EXPECT_THAT(widened.Err,
                HasSubstr("\nVersatz 3607 s: 3 Bilder genau; nächstbester 3547 s: 2\n"));
    EXPECT_EQ(EachFile(Dir, {"IMG_1.JPG", "IMG_3.JPG"}, StoredExposure), (Texts{"3", "5"}));

    // The same offset typed in hours: every row is now written and agrees.
    const auto typed = RunInProcess(
        {Dir.Path(), "--offset", "1:00:07", "--max-offset", "2:00:00", "--format", "csv"});
    ASSERT_EQ(typed.ExitCode, 0) << typed.Err;
    EXPECT_THAT(typed.Out,
                HasSubstr("0;IMG_2.JPG;05.07.2008 22:04:14;4;'=;05.07.2008 21:04:07;4\n"));
}

TEST_F(CliE2E, NearestAlignmentKeepsEveryImageWithItsEntry)
{
    // IMG_2 has no log entry, and the frame of the third entry was deleted.
    WriteTaggedImages(Dir.Path(), {{"IMG_1.JPG", "2008:01:05 21:03:12", "30"},
                                   {"IMG_2.JPG", "2008:01:05 21:03:40", "30"},
                                   {"IMG_4.JPG", "2008:01:05 21:06:12", "30"},
                                   {"IMG_5.JPG", "2008:01:05 21:07:12", "30"}});
    Dir.Write("Zelmaro.txt",
              "Zelmaro\r\n-0801052103073-0801052105075-0801052106072-0801052107074-\r\n");

    const CliResult result =
        RunCli({Dir.Path(), "--offset", "5", "--align", "nearest", "--write", "--format", "csv"});
    ASSERT_EQ(result.ExitCode, 0);
    ASSERT_EQ(result.Lines.size(), 12u) << ::testing::PrintToString(result.Lines);
    EXPECT_EQ(CsvRows(result.Lines, 1, 5), (Texts{"1 IMG_1.JPG '= 3", "0 IMG_2.JPG  ", "0   5",
                                                  "1 IMG_4.JPG '= 2", "1 IMG_5.JPG '= 4"}));
    EXPECT_EQ(EachFile(Dir, {"IMG_1.JPG", "IMG_2.JPG", "IMG_4.JPG", "IMG_5.JPG"}, StoredExposure),
              (Texts{"3", "30", "2", "4"}));
}

TEST_F(CliE2E, OriginalsComeBackByteForByteOrAreDeleted)
{
    WriteTaggedImages(Dir.Path(), {{"a.JPG", "2008:01:05 21:03:12", "30"},
                                   {"b.jpg", "2008:01:05 21:04:12", "30"},
                                   {"c.JPG", "2008:01:05 21:05:12", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103123-0801052104124-0801052105125-\r\n");
    const std::string a = FileBytes(Dir.File("a.JPG")), b = FileBytes(Dir.File("b.jpg"));
    ASSERT_EQ(RunInProcess({Dir.Path(), "--write"}).ExitCode, 0);
    // Written twice: the tool keeps the first original.
    const std::string more = Dir.Write("more.txt", "Zelmaro\r\n-0801052103122-\r\n");
    ASSERT_EQ(RunInProcess({Dir.Path(), "--offset", "0", "--log", more, "--write"}).ExitCode, 0);
    ASSERT_EQ(StoredExposure(Dir.File("a.JPG")), "2");
    std::filesystem::remove(Dir.File("c.JPG_original")); // one without an original
    const std::string c = FileBytes(Dir.File("c.JPG"));

    const auto restored = RunInProcess({Dir.Path(), "--restore"});
    EXPECT_EQ(restored.ExitCode, 0) << restored.Err;
    EXPECT_EQ(restored.Out, "Wiederhergestellt: a.JPG\nWiederhergestellt: b.jpg\n");
    EXPECT_EQ(EachFile(Dir, {"a.JPG", "b.jpg", "c.JPG"}, FileBytes), (Texts{a, b, c}));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("a.JPG_original")));
    const auto nothing = RunInProcess({Dir.Path(), "--restore"});
    EXPECT_EQ(nothing.ExitCode, 0);
    EXPECT_EQ(nothing.Out, "");
    EXPECT_THAT(nothing.Err, HasSubstr("keine Originale"));

    // An original that cannot take the place of its image (a folder there).
    ASSERT_EQ(RunInProcess({Dir.Path(), "--write"}).ExitCode, 0);
    std::filesystem::create_directory(Dir.File("d.JPG"));
    Dir.Write("d.JPG_original", a);
    const auto partly = RunInProcess({Dir.Path(), "--restore"});
    EXPECT_EQ(partly.ExitCode, 1);
    EXPECT_EQ(partly.Out, "Wiederhergestellt: a.JPG\nWiederhergestellt: b.jpg\n");
    EXPECT_THAT(partly.Err, HasSubstr("Fehler: Das Original von \"d.JPG\" ließ sich nicht "
                                      "zurückholen: \"d.JPG\" ist keine gewöhnliche Datei"));
    EXPECT_TRUE(std::filesystem::is_directory(Dir.File("d.JPG")));
    EXPECT_EQ(FileBytes(Dir.File("c.JPG")), c);
    std::filesystem::remove(Dir.File("d.JPG"));

    ASSERT_EQ(RunInProcess({Dir.Path(), "--write"}).ExitCode, 0);
    // The only copy of d.JPG, and a folder named like an image whose
    // original lies beside it: both stay, and so does all inside the folder.
    std::filesystem::create_directory(Dir.File("e.JPG"));
    Dir.Write("e.JPG/inner.JPG_original", "inside");
    Dir.Write("e.JPG/inner.JPG", "inside");
    Dir.Write("e.JPG_original", a);
    const auto deleted = RunInProcess({Dir.Path(), "--delete-originals"});
    EXPECT_EQ(deleted.ExitCode, 1) << deleted.Err;
    // c.JPG carries its logged value already, so it was not written again.
    EXPECT_EQ(deleted.Out, "Gelöscht: a.JPG_original\nGelöscht: b.jpg_original\n");
    EXPECT_THAT(deleted.Err, HasSubstr("\"d.JPG\" ließ sich nicht löschen: Das Bild fehlt; sein "
                                       "Original ist die einzige Kopie und bleibt."));
    EXPECT_THAT(deleted.Err, HasSubstr("\"e.JPG\" ließ sich nicht löschen: \"e.JPG\" ist keine "
                                       "gewöhnliche Datei"));
    for (const char* name : {"a.JPG", "b.jpg", "c.JPG"})
        EXPECT_FALSE(std::filesystem::exists(Dir.File(std::string(name) + "_original"))) << name;
    for (const char* kept : {"d.JPG_original", "e.JPG_original", "e.JPG/inner.JPG_original"})
        EXPECT_TRUE(std::filesystem::exists(Dir.File(kept))) << kept;
    EXPECT_EQ(StoredExposure(Dir.File("b.jpg")), "4"); // the written value stays

    // Restoring puts the only copy back where its image is gone.
    std::filesystem::remove_all(Dir.File("e.JPG"));
    const auto back = RunInProcess({Dir.Path(), "--restore"});
    EXPECT_EQ(back.ExitCode, 0) << back.Err;
    EXPECT_EQ(back.Out, "Wiederhergestellt: d.JPG\nWiederhergestellt: e.JPG\n");
    EXPECT_EQ(EachFile(Dir, {"d.JPG", "e.JPG"}, FileBytes), (Texts{a, a}));
}

namespace {

// An error stream that sets the cancel flag once a text has been written to
// it, as Ctrl+C would at that moment.
class CancelOnText : public std::stringbuf {
public:
    CancelOnText(std::atomic<bool>& cancel, std::string text)
        : FCancel(cancel), FText(std::move(text))
    {
    }

protected:
    int sync() override
    {
        if (str().find(FText) != std::string::npos)
            FCancel = true;
        return 0;
    }

private:
    std::atomic<bool>& FCancel;
    std::string FText;
};

} // namespace

TEST_F(CliE2E, AnInterruptedWriteNamesEveryImageItLeftUnwritten)
{
    WriteTaggedImages(Dir.Path(), {{"A.JPG", "2008:01:05 21:03:12", "30"},
                                   {"B.JPG", "2008:01:05 21:04:12", "30"},
                                   {"C.JPG", "2008:01:05 21:05:12", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103123-0801052104124-0801052105125-\r\n");
    std::atomic<bool> cancel = false;
    CancelOnText errors(cancel, "Schreibe Daten in Datei: B.JPG");
    std::ostream err(&errors);
    std::ostringstream out;
    const TCliEnvironment environment{.Settings = FormatSettings::German(), .Cancel = &cancel};
    EXPECT_EQ(zelmaro::RunCli({Dir.Path(), "--write", "--format", "json"}, out, err, environment),
              kExitCancelled);

    EXPECT_THAT(out.str(), StartsWith("{\n\"error\": \"Abgebrochen.\",\n\"offset\": 0,\n"));
    EXPECT_THAT(out.str(), EndsWith("\"written\": [\"A.JPG\"],\n\"failed\": ["
                                    "{\"image\": \"B.JPG\", \"reason\": \"Der Lauf endete vor "
                                    "diesem Bild.\"}, {\"image\": \"C.JPG\", \"reason\": \"Der "
                                    "Lauf endete vor diesem Bild.\"}]\n}\n"));
    EXPECT_THAT(errors.str(), EndsWith("Fehler: Bild \"B.JPG\" nicht geändert: Der Lauf endete vor "
                                       "diesem Bild.\nFehler: Bild \"C.JPG\" nicht geändert: Der "
                                       "Lauf endete vor diesem Bild.\nAbgebrochen.\n"));
    EXPECT_EQ(EachFile(Dir, {"A.JPG", "B.JPG", "C.JPG"}, StoredExposure), (Texts{"3", "30", "30"}));
}

TEST_F(CliE2E, NamesWithControlCharactersStayOnTheirLines)
{
    WriteTaggedImages(Dir.Path(), {{"a\nb.JPG", "2008:01:05 21:03:12", "30"},
                                   {"x\x1b[2Jy.JPG", "2008:01:05 21:04:12", "30"}});
    Dir.Write("Zelmaro.txt", "Zelmaro\r\n-0801052103123-0801052104124-\r\n");

    const auto run = RunInProcess({Dir.Path(), "--write"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_THAT(run.Out, StartsWith("     Bildname       Bilddatum"));
    EXPECT_THAT(run.Out, HasSubstr("\n[x]  a\\nb.JPG       05.01.2008 21:03:12  30"));
    EXPECT_THAT(run.Out, HasSubstr("\n[ ]  x\\x1b[2Jy.JPG  05.01.2008 21:04:12  4"));
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 7) << run.Out;
    EXPECT_THAT(run.Err, HasSubstr("\nSchreibe Daten in Datei: x\\x1b[2Jy.JPG\n"));
    EXPECT_EQ((run.Out + run.Err).find('\x1b'), std::string::npos);
    EXPECT_EQ(EachFile(Dir, {"a\nb.JPG", "x\x1b[2Jy.JPG"}, StoredExposure), (Texts{"3", "4"}));
}

// The language follows LANGUAGE and the message locale, also where the
// locale is not installed; in a plain "C" locale LANGUAGE does not count.
TEST_F(CliE2E, SpeaksTheLanguageOfTheSystem)
{
    struct Case {
        Texts Env;
        Texts Arguments;
        int ExitCode;
        Texts Lines;
    };
    const Texts english = {"LANGUAGE=en", "LC_ALL=C.UTF-8"};
    const Case cases[] = {
        {english, {"--help"}, 0, {"Usage: zelmaro-cli DIRECTORY [options]", "Options:"}},
        {{"LANGUAGE=", "LC_ALL=en_US.UTF-8"},
         {"--help"},
         0,
         {"Usage: zelmaro-cli DIRECTORY [options]"}},
        {{"LANGUAGE=de", "LC_ALL=C"}, {"--help"}, 0, {"Usage: zelmaro-cli DIRECTORY [options]"}},
        {{"LANGUAGE=de", "LC_ALL=C.UTF-8"},
         {"--help"},
         0,
         {"Aufruf: zelmaro-cli VERZEICHNIS [Optionen]"}},
        {{"-u", "LC_ALL", "-u", "LC_MESSAGES", "LANGUAGE=", "LANG=de_AT.UTF-8"},
         {"--help"},
         0,
         {"Optionen:"}},
        {english,
         {"--frob"},
         2,
         {"Error: Unknown option \"--frob\".", "\"zelmaro-cli --help\" explains how to call it."}},
        {english,
         {"x", "--tolerance", "5"},
         2,
         {"Error: \"--tolerance\" takes a whole number from 0 to 2."}},
        {english,
         {"/no/such/folder"},
         2,
         {"Error: The directory \"/no/such/folder\" does not exist!"}},
    };
    for (const Case& c : cases) {
        Texts prefix = {"env"};
        prefix.insert(prefix.end(), c.Env.begin(), c.Env.end());
        const CliResult result = RunCli(c.Arguments, prefix);
        EXPECT_EQ(result.ExitCode, c.ExitCode) << c.Env.back() << " " << c.Arguments[0];
        for (const std::string& line : c.Lines)
            EXPECT_THAT(result.Lines, Contains(line)) << c.Env.back() << " " << c.Arguments[0];
    }
}

// The sample session pairs alike in every language and locale: what the
// rows say about which image pairs with what, and the offset found. An
// English run shows none of the German texts.
TEST_F(CliE2E, TheSampleSessionPairsAlikeInEveryLocale)
{
    ASSERT_EQ(
        std::system(("bash " ZELMARO_SAMPLE_SESSION " '" + Dir.Path() + "' >/dev/null").c_str()),
        0);
    const auto run = [&](const Texts& env) {
        Texts prefix = {"env"};
        prefix.insert(prefix.end(), env.begin(), env.end());
        const CliResult result = RunCli({Dir.Path(), "--auto-offset", "--format", "json"}, prefix);
        EXPECT_EQ(result.ExitCode, 0) << Text(result);
        // Dates and numbers follow the locale; checks, names, comparisons not.
        const std::regex pair(
            R"re(\{"checked": (true|false), "image": ("[^"]*"), .*"time": ("[^"]*"))re");
        Texts rows, messages;
        for (const std::string& line : result.Lines) {
            std::smatch m;
            if (std::regex_search(line, m, pair))
                rows.push_back(m[1].str() + " " + m[2].str() + " " + m[3].str());
            else if (line.starts_with("\"autoOffset\""))
                rows.push_back(line);
            else if (!line.starts_with("{") && !line.starts_with("\"") && line != "]" &&
                     line != "}")
                messages.push_back(line);
        }
        return std::pair(rows, messages);
    };
    const auto [german, germanMessages] = run({"LANGUAGE=de", "LC_ALL=C.UTF-8"});
    ASSERT_EQ(german.size(), 37u) << ::testing::PrintToString(german);
    EXPECT_THAT(germanMessages, Contains(HasSubstr("35 Einträge gelesen")));
    for (const Texts& env :
         {Texts{"LANGUAGE=", "LC_ALL=C.UTF-8"}, Texts{"LANGUAGE=", "LC_ALL=en_US.UTF-8"},
          Texts{"LANGUAGE=de", "LC_ALL=de_DE.UTF-8"}}) {
        const auto [rows, messages] = run(env);
        EXPECT_EQ(rows, german) << env.back();
        if (env[0] == "LANGUAGE=") {
            for (const char* word : {"Lese", "Gefundene", "Einträge", "Versatz", "Bild "})
                EXPECT_THAT(messages, Each(Not(HasSubstr(word)))) << env.back();
        }
    }
}
