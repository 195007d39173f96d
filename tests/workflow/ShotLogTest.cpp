#include "workflow/ShotLog.h"
#include "ScanRig.h"
#include "palm/PalmTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace zelmaro;
using namespace zelmaro::test;
using namespace zelmaro::test;

namespace {

// Date and exposure time of each entry.
using Shot = std::pair<std::uint32_t, double>;
using Texts = std::vector<std::string>;
template <class Shots> std::vector<Shot> ShotsOf(const Shots& list)
{
    std::vector<Shot> shots;
    for (const TShotItem& shot : list)
        shots.emplace_back(shot.Date, shot.ExposureTime);
    return shots;
}

const std::uint32_t k210307 = Moment(2008, 1, 5, 21, 3, 7);
const std::uint32_t k210415 = Moment(2008, 1, 5, 21, 4, 15);

// Palm Desktop with user 7 ("Anna") whose memo database holds the texts.
class ShotMemo : public ::testing::Test, protected PalmInstall {
protected:
    WorkflowRig Rig;

    void SetUp() override
    {
        Dir.Write("Palm/users.dat", UsersFile(1, ClassHeader("CUser") + User(7, "Anna", "AnnaD")));
        Rig.Flow.SetPalmRegistry(Registry);
    }
    // One text field per record, announcing as many records or the given number.
    void WriteMemos(const std::vector<std::string>& texts,
                    std::optional<std::uint32_t> announced = std::nullopt)
    {
        std::string database =
            MemoHeader({1}, announced.value_or(static_cast<std::uint32_t>(texts.size())));
        for (const std::string& text : texts)
            database += MemoRecord(text);
        Dir.Write("Palm/AnnaD/memopad/memopad.dat", database);
    }
    // Both log memos are read, in time order, past a memo of another title.
    void ExpectBothLogMemos(std::optional<std::uint32_t> announced)
    {
        WriteMemos({"Zelmaro\r\n-0801052104150,5-", "Einkauf\r\n0801052103079",
                    "Zelmaro \r\n0801052103073,2\r\nStativ"},
                   announced);
        Rig.Flow.AddShot({1, 1});
        EXPECT_TRUE(Rig.Flow.ReadShotMemo(7));
        EXPECT_EQ(ShotsOf(Rig.Flow.Shots()), (std::vector<Shot>{{k210307, 3.2}, {k210415, 0.5}}));
        EXPECT_EQ(Rig.Host.Status, "2 Einträge gelesen, 1 Zeile übergangen");
        EXPECT_TRUE(Rig.Host.Messages.empty());
    }
};

} // namespace

TEST(SplitTextLines, EveryKindOfLineEnd)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"a\r\r\n", {"a", ""}},
        {"\n", {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.text;
}

namespace {

struct LogCase {
    std::string name;
    std::vector<std::string> lines;
    std::vector<Shot> shots; // in log order
    std::size_t passedOver = 0;
    bool complete = true;
};

// The parser alone gives the entries in log order, the workflow keeps them
// in time order and reports the counts; an impossible moment ends both with
// the entries before it.
void ExpectEntries(const LogCase& c)
{
    SCOPED_TRACE(c.name);
    const TShotLogParse parse = ParseShotLog(c.lines, FormatSettings::German());
    EXPECT_EQ(ShotsOf(parse.Shots), c.shots);
    EXPECT_EQ(parse.PassedOver, c.passedOver);
    EXPECT_EQ(parse.Error.has_value(), !c.complete);
    WorkflowRig rig;
    EXPECT_EQ(rig.Flow.ParseShotLog(c.lines), c.complete);
    std::vector<Shot> inTimeOrder = c.shots;
    std::stable_sort(inTimeOrder.begin(), inTimeOrder.end(),
                     [](const Shot& a, const Shot& b) { return a.first < b.first; });
    EXPECT_EQ(ShotsOf(rig.Flow.Shots()), inTimeOrder);
    EXPECT_EQ(rig.Host.Status, std::to_string(c.shots.size()) +
                                   (c.shots.size() == 1 ? " Eintrag" : " Einträge") + " gelesen, " +
                                   std::to_string(c.passedOver) +
                                   (c.passedOver == 1 ? " Zeile" : " Zeilen") + " übergangen");
}

} // namespace

TEST(ParseShotLog, EntriesOfTheLog)
{
    // clang-format off
    const LogCase cases[] = {
        {"two entries on a line", {"Zelmaro", "-0801052103073,2--0801052104150,5-"},
         {{k210307, 3.2}, {k210415, 0.5}}},
        {"pieces of 12 characters or fewer", {"Zelmaro", "080105210307-08010521030-x"}, {}, 1},
        {"decimal point, as an English remote writes it", {"Zelmaro", "0801052103070.5"},
         {{k210307, 0.5}}},
        {"non-numeric date part", {"Zelmaro", "08O1052103071-0801052104150,5"}, {{k210415, 0.5}}},
        {"exposure 0 is taken", {"Zelmaro", "0801052103070"}, {{k210307, 0}}},
        {"blanks and a CR after the title", {"Zelmaro \t\r", "0801052103071"}, {{k210307, 1}}},
        {"blank before the title", {" Zelmaro", "0801052103071"}, {}},
        {"title in another case", {"zelmaro", "0801052103071"}, {}},
        {"byte-order mark belongs to the file, not the line", {"\xEF\xBB\xBFZelmaro", "0801052103071"}, {}},
        {"title alone", {"Zelmaro"}, {}},
        {"later titles yield nothing and pass nothing over",
         {"Zelmaro", "0801052104150,5", "Zelmaro ", "0801052103071"},
         {{k210415, 0.5}, {k210307, 1}}},
        {"blank lines are not passed over, text is",
         {"Zelmaro", "", "  \t", "Nacht am See", "0801052103071", "x"}, {{k210307, 1}}, 2},
        {"same moment twice keeps the order", {"Zelmaro", "0801052103071-0801052103072"},
         {{k210307, 1}, {k210307, 2}}},
    };
    // clang-format on
    for (const LogCase& c : cases)
        ExpectEntries(c);
    // A German log read under an English locale, and the reverse.
    FormatSettings english = FormatSettings::German();
    english.DecimalSeparator = '.';
    english.ThousandSeparator = ',';
    EXPECT_EQ(ShotsOf(ParseShotLog({"Zelmaro", "0801052103070,5-0801052104153.2"}, english).Shots),
              (std::vector<Shot>{{k210307, 0.5}, {k210415, 3.2}}));
}

TEST(ParseShotLog, ImpossibleMomentEndsTheParse)
{
    // Its line gave an entry; the unread lines after it count as passed over.
    ExpectEntries({"impossible moment ends the parse",
                   {"Zelmaro", "0801052103071-0813052103072-0801052104150,5", "0801052104150,5", "",
                    "0801052104150,5"},
                   {{k210307, 1}},
                   2,
                   false});
    ExpectEntries({"impossible moment first on its line",
                   {"Zelmaro", "0801052103071", "0813052103072-0801052104150,5"},
                   {{k210307, 1}},
                   1,
                   false});
    EXPECT_EQ(ParseShotLog({"Zelmaro", "0813052103072"}, FormatSettings::German()).Error,
              "''2008.13.5 21:3:7,0'' ist kein gültiges Datum und Zeit");
}

TEST(ParseShotLog, AddsToTheListWithoutClearingIt)
{
    WorkflowRig rig;
    rig.Flow.AddShot({k210415, 9});
    EXPECT_TRUE(rig.Flow.ParseShotLog({"Zelmaro", "0801052103071"}));
    EXPECT_EQ(ShotsOf(rig.Flow.Shots()), (std::vector<Shot>{{k210307, 1}, {k210415, 9}}));
}

namespace {

void ExpectShotFile(const std::string& text, bool read, const std::vector<Shot>& shots)
{
    ScanRig rig;
    rig.Flow.AddShot({1, 1});
    EXPECT_EQ(rig.Flow.ReadShotFile(rig.Dir.Write("Zelmaro.txt", text)), read);
    EXPECT_EQ(ShotsOf(rig.Flow.Shots()), shots);
    EXPECT_TRUE(rig.Host.Messages.empty());
}

} // namespace

TEST(ReadShotFile, ReadsTheFileWithAnyLineEnds)
{
    ExpectShotFile("Zelmaro\r0801052103073,2\n-0801052104150,5-\r\n", true,
                   {{k210307, 3.2}, {k210415, 0.5}});
}

TEST(ReadShotFile, AByteOrderMarkAndBlanksAfterTheTitleAreRead)
{
    ExpectShotFile("\xEF\xBB\xBFZelmaro \r\n0801052103073,2\r\n", true, {{k210307, 3.2}});
}

TEST(ReadShotFile, ImpossibleMomentAnswersNoAndKeepsEarlierEntries)
{
    ExpectShotFile("Zelmaro\n0801052103071\n0813052103072\n", false, {{k210307, 1}});
}

TEST(ReadShotFile, MissingFileWarns)
{
    ScanRig rig;
    rig.Flow.AddShot({1, 1});
    rig.Host.ShowStatus("Versatz 3 s: 2 Bilder genau");
    EXPECT_FALSE(rig.Flow.ReadShotFile(rig.Dir.File("Zelmaro.txt")));
    EXPECT_TRUE(rig.Flow.Shots().empty());
    ASSERT_EQ(rig.Host.Messages.size(), 1u);
    EXPECT_EQ(rig.Host.MessageTexts("warning"),
              (Texts{"In diesem Verzeichnis existiert keine Datei \"Zelmaro.txt\"!"}));
    EXPECT_EQ(rig.Host.Status, "0 Einträge gelesen, 0 Zeilen übergangen");
}

// A file that gives no entry at all is named with the reason; one that is no
// regular file is not opened, so a FIFO cannot block the reading.
TEST(ReadShotFile, AFileWithoutEntriesIsNamedWithTheReason)
{
    struct Case {
        std::string name;
        std::function<void(const std::string& path)> make;
        std::string why;
        std::size_t passedOver = 0;
    };
    const auto text = [](std::string bytes) {
        return [bytes](const std::string& path) { std::ofstream(path, std::ios::binary) << bytes; };
    };
#ifndef _WIN32
    const auto link = [](std::string target) {
        return [target](const std::string& path) { std::filesystem::create_symlink(target, path); };
    };
#endif
    std::vector<Case> cases = {
        {"empty", text("\r\n \n"), "ist leer."},
        {"other title", text("Zelmaro-Protokoll\r\n0801052103071\r\n"),
         "ist kein Protokoll: die erste Zeile ist nicht \"Zelmaro\"."},
        {"title without entries", text("Zelmaro\r\n\r\nkein Eintrag\r\n"),
         "enthält keinen Eintrag.", 1},
        {"impossible first moment", text("Zelmaro\n0813052103072\n"),
         "enthält keinen Eintrag: ''2008.13.5 21:3:7,0'' ist kein gültiges Datum und Zeit.", 1},
#ifndef _WIN32
        {"FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
         "ist keine gewöhnliche Datei."},
        {"device", link("/dev/zero"), "ist keine gewöhnliche Datei."},
#endif
#ifdef __linux__
        // Regular, but no byte of it can be read (also not by root).
        {"unreadable", link("/proc/self/mem"), "ließ sich nicht lesen."},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanRig rig;
        rig.Flow.AddShot({1, 1});
        const std::string path = rig.Dir.File("Zelmaro.txt");
        c.make(path);
        EXPECT_EQ(rig.Flow.ReadLogFile(rig.Dir.Path()), TDirectoryField::dfKeep);
        EXPECT_TRUE(rig.Flow.Shots().empty());
        EXPECT_EQ(rig.Host.MessageTexts("warning"), (Texts{"Die Datei \"" + path + "\" " + c.why}));
        EXPECT_EQ(rig.Host.Status, "0 Einträge gelesen, " + std::to_string(c.passedOver) +
                                       (c.passedOver == 1 ? " Zeile" : " Zeilen") + " übergangen");
    }
}

TEST(ReadLogFile, ReadsTheDirectorysLogAndMatches)
{
    ScanRig rig;
    rig.Flow.AddImage({"a.JPG", k210307 + 7, 0.5});
    rig.Host.TypeOffset(7);
    rig.Dir.Write("Zelmaro.txt", "Zelmaro\r\n0801052103073,2\r\n");
    EXPECT_EQ(rig.Flow.ReadLogFile(rig.Dir.Path()), TDirectoryField::dfKeep);
    ASSERT_EQ(rig.Flow.Matches().size(), 1u);
    EXPECT_TRUE(rig.Flow.Matches()[0].Checked);
    EXPECT_EQ(rig.Flow.CellText(rig.Flow.Matches()[0], 3), "=");
    EXPECT_EQ(rig.Flow.CellText(rig.Flow.Matches()[0], 5), "3,2");

    // Without the file the images stay alone in the table.
    std::filesystem::remove(rig.Dir.File("Zelmaro.txt"));
    EXPECT_EQ(rig.Flow.ReadLogFile(rig.Dir.Path()), TDirectoryField::dfEmpty);
    ASSERT_EQ(rig.Flow.Matches().size(), 1u);
    EXPECT_EQ(rig.Flow.Matches()[0].Shot, nullptr);
}

TEST(LogMemoLines, OnlyMemosThatStartWithTheTitle)
{
    EXPECT_EQ(LogMemoLines({"Zelmaro\r\na", "Einkauf\r\nb", "Zelmaro", "Zelmaro \nc\rd",
                            "zelmaro\ne", " Zelmaro\nf"}),
              (std::vector<std::string>{"Zelmaro", "a", "Zelmaro ", "c", "d"}));
}

TEST_F(ShotMemo, TwoLogMemosAreBothRead)
{
    ExpectBothLogMemos(std::nullopt);
}

// A database cut short that announces more records than it holds.
TEST_F(ShotMemo, ADatabaseCutShortKeepsTheEntriesOfItsRecords)
{
    ExpectBothLogMemos(1000);
}

TEST_F(ShotMemo, FailuresAreSilent)
{
    // Unknown user: no memos, no entries.
    Rig.Flow.AddShot({1, 1});
    Rig.Host.ShowStatus("Versatz 3 s: 2 Bilder genau");
    EXPECT_TRUE(Rig.Flow.ReadShotMemo(9));
    EXPECT_TRUE(Rig.Flow.Shots().empty());
    EXPECT_EQ(Rig.Host.Status, "0 Einträge gelesen, 0 Zeilen übergangen");
    // An impossible moment ends the parse; the entries before it stay.
    WriteMemos({"Zelmaro\r\n0801052103071-0813052103072-0801052104150,5"});
    EXPECT_FALSE(Rig.Flow.ReadShotMemo(7));
    EXPECT_EQ(Rig.Flow.Shots().size(), 1u);
#ifdef __linux__
    // A database that exists but cannot be read (also not by root).
    std::filesystem::remove(Path + "/AnnaD/memopad/memopad.dat");
    std::filesystem::create_symlink("/proc/self/mem", Path + "/AnnaD/memopad/memopad.dat");
    EXPECT_FALSE(Rig.Flow.ReadShotMemo(7));
    EXPECT_TRUE(Rig.Flow.Shots().empty());
#endif
    // Without a store there is no Palm Desktop.
    WorkflowRig alone;
    alone.Flow.AddShot({1, 1});
    EXPECT_TRUE(alone.Flow.ReadShotMemo(7));
    EXPECT_TRUE(alone.Flow.Shots().empty());
    EXPECT_TRUE(Rig.Host.Messages.empty());
}

TEST_F(ShotMemo, CommandWithoutAUserDoesNothing)
{
    WriteMemos({"Zelmaro\r\n0801052103073,2"});
    Rig.Flow.AddImage({"a.JPG", k210307, 0.5});
    Rig.Flow.MatchAll();
    const int replaced = Rig.Host.ReplacementsEnded;
    Rig.Flow.ReadLogMemo(std::nullopt);
    EXPECT_EQ(Rig.Host.ReplacementsEnded, replaced);
    Rig.Flow.ReadLogMemo(7);
    ASSERT_EQ(Rig.Flow.Matches().size(), 1u);
    EXPECT_TRUE(Rig.Flow.Matches()[0].Checked);
}
