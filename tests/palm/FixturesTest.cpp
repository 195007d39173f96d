// The sample files in tests/data/palm, which also seed the fuzzers.
#include "PalmTestSupport.h"
#include "palm/PalmDesktopFile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

TEST(PalmFixtures, UserLists)
{
    // The file, its count and load error, and the first names: the rest are empty.
    const std::tuple<const char*, std::int32_t, bool, std::vector<std::string>> cases[] = {
        {"complete.dat", 1, false, {"Desk"}},
        {"two-users-sync-preference.dat", 2, false, {"Anna", "Bernd"}},
        {"truncated.dat", 2, true, {"Anna", ""}},
        {"bad-skip.dat", 1, true, {""}},
        // A failed parse keeps the count and the users read so far.
        {"huge-count.dat", 0x7FFF, true, {"A", ""}},
        {"count-then-wrong-tag.dat", 2, true, {"", ""}},
        {"garbled.dat", 0x4DA5, true, {}},
    };
    for (const auto& [file, count, loadError, names] : cases) {
        SCOPED_TRACE(file);
        const ParsedUsers parsed(PalmFixture("users/" + std::string(file)));
        const TPalmUsersDat& users = parsed.Users;
        EXPECT_EQ(Outcome(users), std::make_tuple(false, loadError, count));
        ASSERT_EQ(users.Users().size(), static_cast<std::size_t>(users.Count()));
        for (std::size_t i = 0; i < users.Users().size(); ++i) {
            const TPalmUser& user = users.Users()[i];
            EXPECT_EQ(user.Name, i < names.size() ? names[i] : "") << i;
            if (i >= names.size() || names[i].empty()) {
                EXPECT_TRUE(user.UserID == 0 && user.Directory.empty()) << i;
            }
        }
    }
}

TEST(PalmFixtures, MemoDatabases)
{
    const std::string log = "Zelmaro\r\n-0801052103073,2--0801052104150,5-";
    const std::tuple<const char*, std::vector<std::string>, std::int32_t> cases[] = {
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
    for (const auto& [path, texts, recordCount] : cases) {
        SCOPED_TRACE(path);
        TPalmDesktopMemoFile file;
        file.FileName = PalmFixturePath("memopad/" + std::string(path));
        EXPECT_TRUE(file.Load());
        EXPECT_EQ(MemoTexts(file), texts);
        EXPECT_EQ(file.RecordCount, recordCount);
    }
}

} // namespace
