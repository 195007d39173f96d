// The sample files in tests/data/palm, which also seed the fuzzers.
#include "MemoryRegistryStore.h"
#include "PalmDesktopFile.h"
#include "PalmUsersDat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zelmaro;

namespace {

std::string Fixture(const std::string& name)
{
    return std::string(ZELMARO_TEST_DATA_DIR) + "/palm/" + name;
}

TEST(PalmFixtures, UserLists)
{
    const struct {
        const char* file;
        std::int32_t count;
        bool loadError;
        std::vector<std::string> names;
    } cases[] = {
        {"complete.dat", 1, false, {"Desk"}},
        {"two-users-sync-preference.dat", 2, false, {"Anna", "Bernd"}},
        {"truncated.dat", 2, true, {"Anna", ""}},
        {"bad-skip.dat", 1, true, {""}},
        {"huge-count.dat", 0, true, {}},
        {"garbled.dat", 0, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        MemoryRegistryStore none;
        TPalmUsersDat users(none);
        ByteStream stream = ByteStream::FromFile(Fixture(std::string("users/") + c.file));
        users.Parse(stream);
        EXPECT_EQ(users.Count(), c.count);
        EXPECT_EQ(users.LoadError(), c.loadError);
        std::vector<std::string> names;
        for (const TPalmUser& user : users.Users())
            names.push_back(user.Name);
        EXPECT_EQ(names, c.names);
    }
}

TEST(PalmFixtures, MemoDatabases)
{
    const std::string log = "Zelmaro\r\n-0801052103073,2--0801052104150,5-";
    const struct {
        const char* file;
        std::vector<std::string> texts;
    } cases[] = {
        {"complete.dat", {"abc"}},
        {"three-memos.dat", {log, "", std::string(300, 'L')}},
        {"truncated.dat", {log, "", std::string(300 - 200 + 16, 'L')}},
        {"huge-record-count.dat", {}},
        {"huge-category-count.dat", {}},
        {"no-fields.dat", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TPalmDesktopMemoFile file;
        file.FileName = Fixture(std::string("memopad/") + c.file);
        file.Load();
        std::vector<std::string> texts;
        for (const TPalmDesktopMemo& memo : file.Memos)
            texts.push_back(memo.Text);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(file.RecordCount, static_cast<std::int32_t>(c.texts.size()));
    }
}

} // namespace
