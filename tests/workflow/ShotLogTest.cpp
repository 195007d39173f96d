#include "ScanRig.h"
#include "support/Conversions.h"

#include <gtest/gtest.h>

using namespace zelmaro;
using namespace zelmaro::testing;

namespace {

struct Shot {
    std::uint32_t Date;
    double Exposure;
    friend bool operator==(const Shot&, const Shot&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shot& s)
    {
        return out << s.Date << "/" << s.Exposure;
    }
};

std::vector<Shot> ShotsOf(const TWorkflow& flow)
{
    std::vector<Shot> shots;
    for (const TShotItem& shot : flow.Shots())
        shots.push_back({shot.Date, shot.ExposureTime});
    return shots;
}

const std::uint32_t k210307 = Moment(2008, 1, 5, 21, 3, 7);
const std::uint32_t k210415 = Moment(2008, 1, 5, 21, 4, 15);

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

TEST(ParseShotLog, EntriesOfTheLog)
{
    struct Case {
        std::string name;
        std::vector<std::string> lines;
        std::vector<Shot> shots;
    } cases[] = {
        {"two entries on a line",
         {"Zelmaro", "-0801052103073,2--0801052104150,5-"},
         {{k210307, 3.2}, {k210415, 0.5}}},
        {"pieces of 12 characters or fewer", {"Zelmaro", "080105210307-08010521030-x"}, {}},
        {"decimal point", {"Zelmaro", "0801052103070.5"}, {}},
        {"non-numeric date part", {"Zelmaro", "08O1052103071-0801052104150,5"}, {{k210415, 0.5}}},
        {"exposure 0 is taken", {"Zelmaro", "0801052103070"}, {{k210307, 0}}},
        {"title with a trailing blank", {"Zelmaro ", "0801052103071"}, {}},
        {"title in another case", {"zelmaro", "0801052103071"}, {}},
        {"byte-order mark", {"\xEF\xBB\xBFZelmaro", "0801052103071"}, {}},
        {"title alone", {"Zelmaro"}, {}},
        {"later titles yield nothing",
         {"Zelmaro", "0801052104150,5", "Zelmaro", "0801052103071"},
         {{k210307, 1}, {k210415, 0.5}}},
        {"same moment twice keeps the order",
         {"Zelmaro", "0801052103071-0801052103072"},
         {{k210307, 1}, {k210307, 2}}},
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        rig.Flow.ParseShotLog(c.lines);
        EXPECT_EQ(ShotsOf(rig.Flow), c.shots) << c.name;
    }
}

TEST(ParseShotLog, ImpossibleMomentEndsTheParse)
{
    WorkflowRig rig;
    EXPECT_THROW(rig.Flow.ParseShotLog(
                     {"Zelmaro", "0801052103071-0813052103072-0801052104150,5", "0801052104150,5"}),
                 ConversionError);
    EXPECT_EQ(ShotsOf(rig.Flow), (std::vector<Shot>{{k210307, 1}}));
}

TEST(ParseShotLog, AddsToTheListWithoutClearingIt)
{
    WorkflowRig rig;
    rig.Flow.AddShot({k210415, 9});
    rig.Flow.ParseShotLog({"Zelmaro", "0801052103071"});
    EXPECT_EQ(ShotsOf(rig.Flow), (std::vector<Shot>{{k210307, 1}, {k210415, 9}}));
}

TEST(ReadShotFile, ReadsTheFileWithAnyLineEnds)
{
    ScanRig rig;
    rig.Flow.AddShot({1, 1});
    const std::string path =
        rig.Dir.Write("Zelmaro.txt", "Zelmaro\r0801052103073,2\n-0801052104150,5-\r\n");
    EXPECT_TRUE(rig.Flow.ReadShotFile(path));
    EXPECT_EQ(ShotsOf(rig.Flow), (std::vector<Shot>{{k210307, 3.2}, {k210415, 0.5}}));
    EXPECT_TRUE(rig.Host.Messages.empty());
}

TEST(ReadShotFile, ImpossibleMomentAnswersNoAndKeepsEarlierEntries)
{
    ScanRig rig;
    const std::string path =
        rig.Dir.Write("Zelmaro.txt", "Zelmaro\n0801052103071\n0813052103072\n");
    EXPECT_FALSE(rig.Flow.ReadShotFile(path));
    EXPECT_EQ(ShotsOf(rig.Flow), (std::vector<Shot>{{k210307, 1}}));
    EXPECT_TRUE(rig.Host.Messages.empty());
}

TEST(ReadShotFile, MissingFileWarnsAndEmptiesTheDirectoryField)
{
    ScanRig rig;
    rig.Flow.AddShot({1, 1});
    EXPECT_FALSE(rig.Flow.ReadShotFile(rig.Dir.File("Zelmaro.txt")));
    EXPECT_TRUE(rig.Flow.Shots().empty());
    EXPECT_EQ(rig.Host.DirectoryText(), "");
    ASSERT_EQ(rig.Host.Messages.size(), 1u);
    EXPECT_EQ(rig.Host.Messages[0].Kind, "warning");
    EXPECT_EQ(rig.Host.Messages[0].Text,
              "In diesem Verzeichnis existiert keine Datei \"Zelmaro.txt\"!");
}

TEST(ReadLogFile, ReadsTheDirectorysLogAndMatches)
{
    ScanRig rig;
    rig.Flow.AddImage({"a.JPG", k210307 + 7, 0.5});
    rig.Host.TypeOffset(7);
    rig.Dir.Write("Zelmaro.txt", "Zelmaro\r\n0801052103073,2\r\n");
    rig.Flow.ReadLogFile();
    ASSERT_EQ(rig.Table.RowCount(), 1);
    EXPECT_TRUE(rig.Table.IsChecked(0));
    EXPECT_EQ(rig.Flow.CellText(*rig.Table.RowItem(0), 3), "=");
    EXPECT_EQ(rig.Flow.CellText(*rig.Table.RowItem(0), 5), "3,2");

    // Without the file the images stay alone in the table.
    std::filesystem::remove(rig.Dir.File("Zelmaro.txt"));
    rig.Flow.ReadLogFile();
    ASSERT_EQ(rig.Table.RowCount(), 1);
    EXPECT_EQ(rig.Table.RowItem(0)->Shot, nullptr);
}
