// The sample files in tests/data/palm, which also seed the fuzzers.
#include "PalmTestSupport.h"
#include "palm/PalmDesktopFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

TEST(PalmFixtures, UserLists)
{
    const struct {
        const char* file;
        std::int32_t count;
        bool loadError;
        std::vector<std::string> names; // the first ones; the rest are empty
    } cases[] = {
        {"complete.dat", 1, false, {"Desk"}},
        {"two-users-sync-preference.dat", 2, false, {"Anna", "Bernd"}},
        {"truncated.dat", 2, true, {"Anna", ""}},
        {"bad-skip.dat", 1, true, {""}},
        // A failed parse keeps the count and the users read so far.
        {"huge-count.dat", 0x7FFF, true, {"A", ""}},
        {"count-then-wrong-tag.dat", 2, true, {"", ""}},
        {"garbled.dat", 0x4DA5, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ParsedUsers parsed(PalmFixture("users/" + std::string(c.file)));
        const TPalmUsersDat& users = parsed.Users;
        EXPECT_EQ(Outcome(users), std::make_tuple(false, c.loadError, c.count));
        ASSERT_EQ(users.Users().size(), static_cast<std::size_t>(users.Count()));
        for (std::size_t i = 0; i < users.Users().size(); ++i) {
            const TPalmUser& user = users.Users()[i];
            EXPECT_EQ(user.Name, i < c.names.size() ? c.names[i] : "") << i;
            if (i >= c.names.size() || c.names[i].empty()) {
                EXPECT_TRUE(user.UserID == 0 && user.Directory.empty()) << i;
            }
        }
    }
}

TEST(PalmFixtures, MemoDatabases)
{
    const std::string log = "Zelmaro\r\n-0801052103073,2--0801052104150,5-";
    const struct {
        const char* file;
        std::vector<std::string> texts;
        std::int32_t recordCount;
    } cases[] = {
        {"complete.dat", {"abc"}, 1},
        {"three-memos.dat", {log, "", std::string(300, 'L')}, 3},
        {"truncated.dat", {log, "", std::string(300 - 200 + 16, 'L')}, 3},
        // The records past the end are empty and not kept.
        {"announces-more-records.dat",
         {"Zelmaro\r\n-0801052103073,2-", "Zelmaro\r\n-0801052104150,5-"},
         1000},
        {"huge-record-count.dat", {}, 0},
        {"huge-category-count.dat", {}, 0},
        {"no-fields.dat", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TPalmDesktopMemoFile file;
        file.FileName = PalmFixturePath("memopad/" + std::string(c.file));
        EXPECT_TRUE(file.Load());
        EXPECT_EQ(MemoTexts(file), c.texts);
        EXPECT_EQ(file.RecordCount, c.recordCount);
    }
}

} // namespace
