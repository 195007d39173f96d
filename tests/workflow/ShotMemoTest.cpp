#include "WorkflowRig.h"
#include "palm/PalmTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace zelmaro;
using namespace zelmaro::testing;
using namespace zelmaro::test;

namespace {

// Palm Desktop with user 7 ("Anna") whose memo database holds the texts.
class ShotMemo : public ::testing::Test, protected PalmInstall {
protected:
    WorkflowRig Rig;

    void SetUp() override
    {
        Dir.WriteFile("Palm/users.dat",
                      UsersFile(1, ClassHeader("CUser") + User(7, "Anna", "AnnaD")));
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
        Dir.WriteFile("Palm/AnnaD/memopad/memopad.dat", database);
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

// Both log memos are read, also from a database cut short that announces
// more records than it holds.
TEST_F(ShotMemo, EveryLogMemoIsRead)
{
    for (std::optional<std::uint32_t> announced : {std::optional<std::uint32_t>(), {1000u}}) {
        WriteMemos({"Zelmaro\r\n-0801052104150,5-", "Einkauf\r\n0801052103079",
                    "Zelmaro\r\n0801052103073,2"},
                   announced);
        Rig.Flow.AddShot({1, 1});
        EXPECT_TRUE(Rig.Flow.ReadShotMemo(7));
        ASSERT_EQ(Rig.Flow.Shots().size(), 2u);
        EXPECT_EQ(Rig.Flow.Shots().front().Date, k210307);
        EXPECT_EQ(Rig.Flow.Shots().front().ExposureTime, 3.2);
        EXPECT_EQ(Rig.Flow.Shots().back().Date, k210415);
    }
    EXPECT_TRUE(Rig.Host.Messages.empty());
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
    const int clears = Rig.Table.Clears;
    Rig.Flow.ReadLogMemo(std::nullopt);
    EXPECT_EQ(Rig.Table.Clears, clears);
    Rig.Flow.ReadLogMemo(7);
    ASSERT_EQ(Rig.Table.RowCount(), 1);
    EXPECT_TRUE(Rig.Table.IsChecked(0));
}
