#include "common/WorkflowRig.h"
#include "palm/PalmTestSupport.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zelmaro;
using namespace zelmaro::testing;
using zelmaro::test::Le16;
using zelmaro::test::Le32;
using zelmaro::test::Short;

namespace {

// A memo database of the given texts (one text field per record), announcing
// as many records or the given number.
std::string MemoDatabase(const std::vector<std::string>& texts,
                         std::optional<std::uint32_t> announced = std::nullopt)
{
    std::string out = "DCBA" + Short("MemoDB") + Short("Table") + Le32(0) + Le32(0);
    for (std::uint32_t v : {1u, 2u, 3u, 4u, 5u})
        out += Le32(v);
    out += Le16(1) + Le16(1) + Le32(announced.value_or(static_cast<std::uint32_t>(texts.size())));
    for (const std::string& text : texts) {
        for (std::uint32_t i = 0; i < 8; ++i)
            out += Le32(i);
        out += Short(text);
        for (std::uint32_t i = 8; i < 12; ++i)
            out += Le32(i);
    }
    return out;
}

// Palm Desktop with user 7 ("Anna") whose memo database holds the texts.
class ShotMemo : public ::testing::Test {
protected:
    zelmaro::test::TempDir Dir;
    MemoryRegistryStore Registry;
    WorkflowRig Rig;

    void SetUp() override
    {
        const std::string path = Dir.MakeDir("Palm");
        Registry.CreateKey(kPalmDesktopKey);
        Registry.SetValue(kPalmDesktopKey, "PIMVersion", {kRegSz, "4"});
        Registry.SetValue(kPalmDesktopKey, "DesktopPath", {kRegSz, Dir.MakeDir("Desktop")});
        Registry.SetValue(kPalmDesktopKey, "Path", {kRegSz, path});
        Dir.WriteFile("Palm/users.dat", Le16(1) + Le16(0xFFFF) + Le16(1) + Le16(5) + "CUser" +
                                            Le32(7) + Short("Anna") + Short("AnnaD") +
                                            std::string(8, '\0') + Le16(0x8001));
        Rig.Flow.SetPalmRegistry(Registry);
    }
    void WriteMemos(const std::vector<std::string>& texts,
                    std::optional<std::uint32_t> announced = std::nullopt)
    {
        Dir.WriteFile("Palm/AnnaD/memopad/memopad.dat", MemoDatabase(texts, announced));
    }
};

const std::uint32_t k210307 = Moment(2008, 1, 5, 21, 3, 7);
const std::uint32_t k210415 = Moment(2008, 1, 5, 21, 4, 15);

} // namespace

TEST(LogMemoLines, OnlyMemosThatStartWithTheTitle)
{
    EXPECT_EQ(
        LogMemoLines({"Zelmaro\r\na", "Einkauf\r\nb", "Zelmaro", "Zelmaro\nc\rd", "zelmaro\ne"}),
        (std::vector<std::string>{"Zelmaro", "a", "Zelmaro", "c", "d"}));
}

TEST_F(ShotMemo, TwoLogMemosAreBothRead)
{
    WriteMemos(
        {"Zelmaro\r\n-0801052104150,5-", "Einkauf\r\n0801052103079", "Zelmaro\r\n0801052103073,2"});
    Rig.Flow.AddShot({1, 1});
    EXPECT_TRUE(Rig.Flow.ReadShotMemo(7));
    ASSERT_EQ(Rig.Flow.Shots().size(), 2u);
    EXPECT_EQ(Rig.Flow.Shots().front().Date, k210307);
    EXPECT_EQ(Rig.Flow.Shots().front().ExposureTime, 3.2);
    EXPECT_EQ(Rig.Flow.Shots().back().Date, k210415);
    EXPECT_TRUE(Rig.Host.Messages.empty());
}

TEST_F(ShotMemo, ADatabaseCutShortKeepsTheEntriesOfItsRecords)
{
    WriteMemos({"Zelmaro\r\n-0801052104150,5-", "Zelmaro\r\n0801052103073,2"}, 1000);
    EXPECT_TRUE(Rig.Flow.ReadShotMemo(7));
    ASSERT_EQ(Rig.Flow.Shots().size(), 2u);
    EXPECT_EQ(Rig.Flow.Shots().front().Date, k210307);
    EXPECT_EQ(Rig.Flow.Shots().back().Date, k210415);
}

TEST_F(ShotMemo, FailuresAreSilent)
{
    // Unknown user: no memos, no entries.
    Rig.Flow.AddShot({1, 1});
    EXPECT_TRUE(Rig.Flow.ReadShotMemo(9));
    EXPECT_TRUE(Rig.Flow.Shots().empty());
    // An impossible moment ends the parse; the entries before it stay.
    WriteMemos({"Zelmaro\r\n0801052103071-0813052103072-0801052104150,5"});
    EXPECT_FALSE(Rig.Flow.ReadShotMemo(7));
    EXPECT_EQ(Rig.Flow.Shots().size(), 1u);
    EXPECT_TRUE(Rig.Host.Messages.empty());
}

TEST_F(ShotMemo, CommandWithoutAUserDoesNothing)
{
    WriteMemos({"Zelmaro\r\n0801052103073,2"});
    Rig.Flow.AddImage({"a.JPG", k210307, 0.5});
    Rig.Flow.MatchAll();
    const int clears = Rig.Table.Clears;
    Rig.Flow.ReadLogMemo(std::nullopt);
    EXPECT_EQ(Rig.Table.Clears, clears);
    Rig.Flow.ReadLogMemo(7);
    ASSERT_EQ(Rig.Table.RowCount(), 1);
    EXPECT_TRUE(Rig.Table.IsChecked(0));
}
