#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleHost.h"
#include "cli/ConsoleText.h"
#include "cli/PalmUsers.h"
#include "cli/TableOutput.h"
#include "common/FakeTool.h"
#include "common/System.h"
#include "common/WorkflowRig.h"
#include "palm/PalmTestSupport.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"
#include "support/Paths.h"
#include "workflow/MetadataTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

using namespace zelmaro;
using namespace zelmaro::test;
using namespace std::string_literals;
using zelmaro::test::ClassHeader, zelmaro::test::User, zelmaro::test::UsersFile;

TEST(CliArguments, UsableAndUnusableCommandLines)
{
    using Line = std::vector<std::string>;
    // clang-format off
    const std::vector<Line> usable = {
        {"dir"}, {"--", "-dir"}, {"--list-palm-users"}, {"--help"},
        {"dir", "--log", "x.txt", "--offset", "-7", "--tolerance", "2", "--write"},
        {"--auto-offset", "dir", "--format", "json"},
        {"dir", "--auto-offset", "--max-offset", "7200", "--align", "nearest"},
        {"dir", "--offset", "+0:00:07", "--max-offset", "2:00:00"},
        {"dir", "--restore"}, {"dir", "--delete-originals"}};
    const std::vector<Line> unusable = {
        {}, {"-dir"}, {"dir", "other"}, {"dir", "--offset"}, {"dir", "--offset", "$10"},
        {"dir", "--tolerance", "1.5"}, {"dir", "--format", "xml"},
        {"dir", "--log", "a", "--palm-user", "b"}, {"dir", "--offset", "3", "--auto-offset"},
        {"dir", "--max-offset", "-1"}, {"dir", "--max-offset"}, {"dir", "--align", "closest"},
        {"dir", "--offset", "1:60:00"}, {"dir", "--offset", "1:5:00"}, {"dir", "--offset", "1:05"},
        {"dir", "--offset", "1:00:00:00"}, {"dir", "--offset", "596524:00:00"}, // beyond int
        {"dir", "--restore", "--write"}, {"dir", "--restore", "--delete-originals"},
        {"dir", "--tolerance", "3"}, {"dir", "--tolerance", "-1"},
        {"dir", "--max-offset", "2147483648"}, {"dir", "--max-offset", "596523:14:08"}};
    // clang-format on
    for (const bool ok : {true, false}) {
        for (const Line& arguments : ok ? usable : unusable) {
            const TCliParse parse = ParseCliArguments(arguments);
            EXPECT_EQ(parse.Options.Ok(), ok)
                << ::testing::PrintToString(arguments) << " " << parse.Options.Error();
        }
    }
    const TCliOptions o =
        *ParseCliArguments({"--offset", "-7", "--", "-dir", "--format", "csv"}).Options;
    EXPECT_EQ(o.Directory, "-dir");
    EXPECT_EQ(o.Offset, -7);
    EXPECT_EQ(o.Format, TOutputFormat::ofCsv);
    EXPECT_EQ(o.MaxOffset, 300);
    EXPECT_FALSE(o.AlignNearest);

    // clang-format off
    const std::pair<const char*, int> offsets[] = {
        {"-1:00:07", -3607}, {"1:00:07", 3607}, {"0:59:59", 3599},
        {"-12", -12}, {"596523:14:07", 2147483647},
    };
    // clang-format on
    for (const auto& [text, seconds] : offsets) {
        // A negative range is refused, so a negative offset comes alone.
        Line arguments = {"dir", "--offset", text};
        if (seconds >= 0)
            arguments.insert(arguments.end(), {"--max-offset", text});
        const TCliParse parse = ParseCliArguments(arguments);
        ASSERT_TRUE(parse.Options) << text << " " << parse.Options.Error();
        EXPECT_EQ(parse.Options->Offset, seconds) << text;
        if (seconds >= 0) {
            EXPECT_EQ(parse.Options->MaxOffset, seconds) << text;
        }
    }
    EXPECT_TRUE(ParseCliArguments({"dir", "--align", "nearest"}).Options->AlignNearest);
    EXPECT_EQ(ParseCliArguments({"dir", "--tolerance", "0"}).Options->Tolerance, 0);

    // A value beyond its range is refused with the range, not brought into it.
    const std::pair<std::vector<std::string>, const char*> refusals[] = {
        {{"dir", "--tolerance", "3"}, "Zu \"--tolerance\" gehört eine ganze Zahl von 0 bis 2."},
        {{"dir", "--max-offset", "2147483648"},
         "Zu \"--max-offset\" gehört eine ganze Zahl von 0 bis 2147483647 oder H:MM:SS bis "
         "596523:14:07."},
    };
    for (const auto& [arguments, message] : refusals)
        EXPECT_EQ(ParseCliArguments(arguments).Options.Error(), message);
}

TEST(CliHost, OffsetRangeAndStatusLine)
{
    std::ostringstream err;
    std::atomic<bool> cancel = false;
    TConsoleHost host(err, false, cancel);
    TWorkflow flow(host, FormatSettings::German());
    flow.SetOffset(3607);
    EXPECT_EQ(flow.Offset(), 300);
    flow.SetMaxOffset(7200);
    flow.SetOffset(-3607);
    EXPECT_EQ(flow.Offset(), -3607);
    flow.SetOffset(-9000);
    EXPECT_EQ(flow.Offset(), -7200);
    flow.SetTolerance(5);
    EXPECT_EQ(flow.Tolerance(), kMaxTolerance);
    host.ShowStatus("");
    host.ShowStatus("Versatz 7 s: 2 Bilder genau");
    EXPECT_EQ(err.str(), "Versatz 7 s: 2 Bilder genau\n");

    EXPECT_EQ(JsonAutoOffset(std::nullopt), "null");
    EXPECT_EQ(JsonAutoOffset(TAutoOffsetReport{300, 0, std::nullopt, 0, 3607}),
              "{\"offset\": 300, \"pairs\": 0, \"runnerUp\": null, \"runnerUpPairs\": 0, "
              "\"best\": 3607}");
    EXPECT_EQ(JsonAutoOffset(TAutoOffsetReport{-7, 23, -8, 2, -7}),
              "{\"offset\": -7, \"pairs\": 23, \"runnerUp\": -8, \"runnerUpPairs\": 2, "
              "\"best\": -7}");
}

TEST(CliRun, BadUsageAndHelp)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"--format"}, out, err, {}), kExitUsage);
    EXPECT_NE(err.str().find("Fehler: "), std::string::npos);
    EXPECT_EQ(RunCli({"--help"}, out, err, {}), kExitOk);
    EXPECT_NE(out.str().find("--palm-user"), std::string::npos);
}

TEST(CliRun, PalmDesktopComesFromTheGivenRegistry)
{
    zelmaro::test::PalmInstall palm;
    palm.Dir.Write("Palm/users.dat", UsersFile(1, ClassHeader("CUser") + User(9, "Anna", "AD")));
    MemoryRegistryStore empty;
    TCliEnvironment environment;
    environment.Registry = &empty;
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({"--list-palm-users"}, out, err, environment), kExitOk);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Hinweis: Palm Desktop ist nicht eingerichtet.\n");

    environment.Registry = &palm.Registry;
    out.str("");
    err.str("");
    EXPECT_EQ(RunCli({"--list-palm-users"}, out, err, environment), kExitOk);
    EXPECT_EQ(out.str(), "9\tAnna\t" + JoinPath(palm.Path, "AD") + "\n");
    EXPECT_EQ(err.str(), "");
}

namespace {

struct TableRig : WorkflowRig {
    TableRig()
    {
        Flow.AddImage({"a \"1\";b.JPG", Moment(2008, 1, 5, 21, 3, 7), 0.5});
        Flow.AddImage({"Ü.JPG", Moment(2008, 1, 5, 21, 4, 7), 30});
        Flow.AddShot({Moment(2008, 1, 5, 21, 3, 7), 30});
        Flow.MatchAll();
    }
    std::string Text(TOutputFormat format)
    {
        std::ostringstream out;
        WriteTable(out, Flow, format);
        return out.str();
    }
};

} // namespace

TEST(CliTable, TheThreeFormats)
{
    TableRig rig;
    EXPECT_EQ(
        rig.Text(TOutputFormat::ofTable),
        "     Bildname     Bilddatum            Verschlusszeit  =  Aufnahmedatum        "
        "Verschlusszeit\n"
        "[x]  a \"1\";b.JPG  05.01.2008 21:03:07  0,5             =  05.01.2008 21:03:07  30\n"
        "[ ]  Ü.JPG        05.01.2008 21:04:07  30\n");
    EXPECT_EQ(rig.Text(TOutputFormat::ofCsv),
              "Eintragen;Bildname;Bilddatum;Verschlusszeit;'=;Aufnahmedatum;Verschlusszeit\n"
              "1;\"a \"\"1\"\";b.JPG\";05.01.2008 21:03:07;0,5;'=;05.01.2008 21:03:07;30\n"
              "0;Ü.JPG;05.01.2008 21:04:07;30;;;\n");
    EXPECT_EQ(rig.Text(TOutputFormat::ofJson),
              "[\n {\"checked\": true, \"image\": \"a \\\"1\\\";b.JPG\", \"imageDate\": "
              "\"05.01.2008 21:03:07\", \"imageExposure\": \"0,5\", \"time\": \"=\", "
              "\"shotDate\": \"05.01.2008 21:03:07\", \"shotExposure\": \"30\"},\n"
              " {\"checked\": false, \"image\": \"Ü.JPG\", \"imageDate\": \"05.01.2008 21:04:07\", "
              "\"imageExposure\": \"30\", \"time\": \"\", \"shotDate\": \"\", \"shotExposure\": "
              "\"\"}\n]\n");
}

TEST(CliTable, EveryCellIsTextOnItsOwnLine)
{
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"IMG_1.JPG", "IMG_1.JPG"}, {"1-2.JPG", "1-2.JPG"},
        // What a spreadsheet would take for a formula.
        {"=1+2.JPG", "'=1+2.JPG"}, {"+1.JPG", "'+1.JPG"}, {"-1.JPG", "'-1.JPG"},
        {"@A1.JPG", "'@A1.JPG"}, {"\t=1.JPG", "'\\t=1.JPG"}, {"\r=1.JPG", "'\\r=1.JPG"},
        {"a\nb;\"c\".JPG", "\"a\\nb;\"\"c\"\".JPG\""},
        {"x\x1b[2Jy.JPG", "x\\x1b[2Jy.JPG"},
    };
    // clang-format on
    for (const auto& [name, cell] : cases) {
        WorkflowRig rig;
        rig.Flow.AddImage({name, Moment(2008, 1, 5, 21, 3, 7), 30});
        rig.Flow.MatchAll();
        std::ostringstream csv, table;
        WriteTable(csv, rig.Flow, TOutputFormat::ofCsv);
        EXPECT_EQ(csv.str(),
                  "Eintragen;Bildname;Bilddatum;Verschlusszeit;'=;Aufnahmedatum;Verschlusszeit\n"
                  "0;" +
                      cell + ";05.01.2008 21:03:07;30;;;\n")
            << name;
        WriteTable(table, rig.Flow, TOutputFormat::ofTable);
        const std::string text = table.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        EXPECT_EQ(text.find_first_of("\r\t\x1b"), std::string::npos) << text;
    }
}

TEST(CliJson, AnyBytesGiveValidJson)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a \"b\"\\c\x01", "\"a \\\"b\\\"\\\\c\\u0001\""},
        {"Ü€𝄞.JPG", "\"Ü€𝄞.JPG\""},
        // Not UTF-8: a Latin-1 name, a cut sequence, a surrogate.
        {"\xDC.JPG", "\"\\u00dc.JPG\""},
        {"a\xE2\x82", "\"a\\u00e2\\u0082\""},
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
        // Control characters, C1 ones too, whether UTF-8 or not.
        {"a\n\x1b[2J\x7f", "\"a\\u000a\\u001b[2J\\u007f\""},
        {"\xC2\x9B\x9B\xC2\xA0", "\"\\u009b\\u009b\xC2\xA0\""},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonString(text), json) << text;

    TJsonObject document;
    document.Add("offset", "7");
    document.Add("written", JsonStrings({"a.JPG", "b.JPG"}));
    EXPECT_EQ(document.Text(), "{\n\"offset\": 7,\n\"written\": [\"a.JPG\", \"b.JPG\"]\n}\n");
}

TEST(CliRun, AnInterruptedRunSaysSoAndWritesNothing)
{
    if (!FindExifTool())
        GTEST_SKIP() << "the run needs exiftool";
    TempDir dir;
    dir.Write("a.JPG");
    std::atomic<bool> cancel = true;
    TCliEnvironment environment;
    environment.Settings = FormatSettings::German();
    environment.Cancel = &cancel;
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({dir.Path(), "--write", "--format", "json"}, out, err, environment),
              kExitCancelled);
    EXPECT_TRUE(err.str().ends_with("Abgebrochen.\n")) << err.str();
    EXPECT_EQ(out.str(), "{\n\"error\": \"Abgebrochen.\",\n\"offset\": 0,\n\"tolerance\": 1,\n"
                         "\"rows\": [],\n\"written\": [],\n\"failed\": []\n}\n");
}

TEST(CliRun, AFailedRunIsOneJsonDocumentToo)
{
    TempDir dir;
    const bool haveTool = FindExifTool().has_value();
    struct Case {
        std::vector<std::string> Arguments;
        bool NeedsTool; // the tool is looked for before anything else
        int Code;
        std::string Out;
    };
    // clang-format off
    const Case cases[] = {
        {{"--format", "json", "dir", "--tolerance", "x"}, false, kExitUsage,
         "{\n\"error\": \"Zu \\\"--tolerance\\\" gehört eine ganze Zahl von 0 bis 2.\"\n}\n"},
        // Before --format json is read, the format is not known yet.
        {{"dir", "--tolerance", "x", "--format", "json"}, false, kExitUsage, ""},
        {{"dir", "--format", "json", "--offset", "3", "--auto-offset"}, false, kExitUsage,
         "{\n\"error\": \"\\\"--offset\\\" und \\\"--auto-offset\\\" schließen einander aus.\"\n}\n"},
        {{dir.File("no\nne"), "--format", "json", "--offset", "7", "--tolerance", "0"}, true,
         kExitUsage, "{\n\"error\": \"Das Verzeichnis \\\"" + dir.Path() +
         "/no\\u000ane\\\" existiert nicht!\",\n\"offset\": 7,\n\"tolerance\": 0\n}\n"},
        {{dir.Path(), "--log", dir.File("none"), "--format", "json", "--write"}, true, kExitUsage,
         "{\n\"error\": \"Die Datei \\\"" + dir.File("none") +
         "\\\" existiert nicht!\",\n\"offset\": 0,\n\"tolerance\": 1\n}\n"},
        // --restore names the originals in lines of its own.
        {{dir.Path(), "--format", "json", "--restore"}, true, kExitOk, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        if (c.NeedsTool && !haveTool)
            continue;
        std::ostringstream out, err;
        EXPECT_EQ(RunCli(c.Arguments, out, err, {}), c.Code) << err.str();
        EXPECT_EQ(out.str(), c.Out) << ::testing::PrintToString(c.Arguments);
        // One line for the error, whatever the name holds, and the hint of a usage error.
        const std::string text = err.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.NeedsTool ? 1 : 2) << text;
    }

    // Without the tool, the run ends before it reads anything.
    const zelmaro::test::TScopedEnv path("PATH", "/nonexistent");
    std::ostringstream out, err;
    EXPECT_EQ(RunCli({dir.Path(), "--format", "json", "--offset", "-5"}, out, err, {}), kExitError);
    // The file looked for beside the program: Windows adds the extension.
    const std::string tool = zelmaro::test::kWindows ? "exiftool.exe" : "exiftool";
    EXPECT_EQ(out.str(), "{\n\"error\": \"\\\"" + tool +
                             "\\\" ist nicht vorhanden!\",\n"
                             "\"offset\": -5,\n\"tolerance\": 1\n}\n");
    EXPECT_EQ(err.str(), "Fehler: \"" + tool + "\" ist nicht vorhanden!\n");
}

TEST(CliHost, ProgressLinesAndMessages)
{
    for (const bool terminal : {false, true}) {
        std::ostringstream err;
        std::atomic<bool> cancel = true;
        TConsoleHost host(err, terminal, cancel);
        {
            auto progress = host.CreateProgress();
            EXPECT_TRUE(host.CancelRequested()) << "an interrupt cancels the whole run";
            progress->SetDirectory("/fotos");
            progress->ShowNow();
            progress->ShowFoundCount(2);
            progress->SetFileName("a.JPG");
            host.ShowError("kaputt", "Zelmaro");
            progress->SetFileName("b\n\x1b[2J.JPG");
            host.ShowWriteFailures({{"a.JPG", "x"}, {"b\n\x1b[2J.JPG", "y\r"}});
        }
        // A terminal overwrites the file line in place.
        const std::string cr = terminal ? "\r\x1b[K" : "";
        const std::string expected = "Lese Verzeichnis: /fotos\nGefundene Dateien: 2\n" + cr +
                                     "Lese Daten von Datei: a.JPG\nFehler: kaputt\n" + cr +
                                     "Lese Daten von Datei: b\\n\\x1b[2J.JPG\n"
                                     "Fehler: Bild \"a.JPG\" nicht geändert: x\n"
                                     "Fehler: Bild \"b\\n\\x1b[2J.JPG\" nicht geändert: y\\r\n";
        EXPECT_EQ(err.str(), expected) << terminal;
    }
}

TEST(CliPalmUsers, NamesForTheConsoleAndTheLookup)
{
    EXPECT_EQ(Cp1252ToUtf8("J\xFCrgen \x80\x81"), "Jürgen €\xEF\xBF\xBD");

    const zelmaro::test::ParsedUsers parsed(
        UsersFile(3, ClassHeader("CUser") + User(7, "J\xFCrgen", "JD") + User(9, "Anna", "AD") +
                         User(4, "Tab\tName", "T\nD")));
    const TPalmUsersDat& users = parsed.Users;
    ASSERT_EQ(users.Count(), 3);
    EXPECT_EQ(FindPalmUser(users, "anna"), 9);
    EXPECT_EQ(FindPalmUser(users, "Jürgen"), 7);
    EXPECT_EQ(FindPalmUser(users, "Bernd"), std::nullopt);
    std::ostringstream out;
    WritePalmUsers(out, users);
    // A tab or line end of a name would shift the fields.
    EXPECT_EQ(out.str(), "7\tJürgen\tJD\n9\tAnna\tAD\n4\tTab\\tName\tT\\nD\n");
}

TEST(CliPalmUsers, PathsAsTheFileSystemHasThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/j\xC3\xB6rg/Palm/\xE2\x82\xAC", "/home/jörg/Palm/€"}, // UTF-8 stays
        {"/palm/J\xF6rg", "/palm/Jörg"},                              // a Windows-1252 name
        {"/a\xC3", "/aÃ"},                                            // cut short
        {"/a\xC0\xAF", "/aÀ¯"},                                       // overlong
        {"/a\xED\xA0\x80", "/aí\u00A0€"},                             // a surrogate
        {"/a\xF4\x90\x80\x80", "/aô\uFFFD€€"},                        // above U+10FFFF
    };
    for (const auto& [path, shown] : cases)
        EXPECT_EQ(PathForConsole(path), shown) << path;
}

TEST(CliConsoleText, ControlCharactersBecomeVisibleAndNothingElseChanges)
{
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"IMG_1.JPG", "IMG_1.JPG"},
        {"Ü€𝄞 \xA0.JPG", "Ü€𝄞 \xA0.JPG"},    // UTF-8, a Latin-1 no-break space
        {"\xDC\xFF.JPG", "\xDC\xFF.JPG"},          // Latin-1 letters
        {"C:\\a\\n.JPG", "C:\\a\\n.JPG"},          // a backslash stays one
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"x\x1b[2Jy.JPG", "x\\x1b[2Jy.JPG"},
        {"\0\x01\x1f\x7f"s, "\\x00\\x01\\x1f\\x7f"},
        {"\xC2\x9B" "1m", "\\xc2\\x9b" "1m"},      // C1 as UTF-8
        {"\x9B" "1m\x80", "\\x9b" "1m\\x80"},       // C1 to an 8-bit terminal
        {"a\xC2", "a\xC2"},                        // cut short: a Latin-1 letter
    };
    // clang-format on
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(ConsoleText(text), shown) << ::testing::PrintToString(text);
}

TEST(CliArguments, LogsOfTodayAlignmentsAndColumns)
{
    using Line = std::vector<std::string>;
    for (const Line& bad : {Line{"dir", "--columns", "time=a"}, Line{"dir", "--first-frame", "-1"},
                            Line{"dir", "--time-format", "DD.MM.YYYY hh:mm"},
                            Line{"dir", "--columns", "time=a,exposure=b", "--time-format", "hh"},
                            Line{"dir", "--align", "frames"}})
        EXPECT_FALSE(ParseCliArguments(bad).Options.Ok()) << ::testing::PrintToString(bad);
    const TCliOptions o = *ParseCliArguments({"dir", "--time-format", "DD.MM.YYYY hh:mm",
                                              "--columns", "time=Zeit,exposure=Dauer,frame=Nr",
                                              "--align", "frame", "--first-frame", "0"})
                               .Options;
    EXPECT_TRUE(o.AlignFrame);
    EXPECT_EQ(o.FirstFrame, 0u);
    ASSERT_TRUE(o.Columns);
    EXPECT_EQ(*o.Columns, (TColumnMapping{"Zeit", "", "DD.MM.YYYY hh:mm", "Dauer", "", "Nr"}));
    EXPECT_TRUE(ParseCliArguments({"dir", "--align", "name"}).Options->AlignName);

    EXPECT_EQ(ParseCliArguments({"dir"}).Options->Sidecar, TSidecar::svNone);
    EXPECT_EQ(ParseCliArguments({"dir", "--sidecar"}).Options->Sidecar, TSidecar::svXmp);
    EXPECT_EQ(ParseCliArguments({"dir", "--sidecar=ext.xmp"}).Options->Sidecar, TSidecar::svExtXmp);
    for (const char* bad : {"--sidecar=", "--sidecar=XMP", "--sidecars"})
        EXPECT_FALSE(ParseCliArguments({"dir", bad}).Options.Ok()) << bad;
}
