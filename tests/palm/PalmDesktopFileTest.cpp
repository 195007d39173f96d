#include "palm/PalmDesktopFile.h"
#include "PalmTestSupport.h"
#include "palm/PalmUsersDat.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

// The complete small database: tag ABCD, one category "Logs"/"Log", six
// fields, six entries and so one memo "abc".
const std::string kSmallDatabase = PalmFixture("memopad/complete.dat");

std::unique_ptr<TPalmDesktopMemoFile> Parsed(const std::string& bytes)
{
    auto file = std::make_unique<TPalmDesktopMemoFile>();
    ByteStream stream(bytes);
    file->LoadFrom(&stream);
    return file;
}

TEST(TPalmDesktopMemoFile, ReadsTheCompleteSmallDatabase)
{
    const auto file = Parsed(kSmallDatabase);
    EXPECT_EQ(std::tie(file->Tag, file->StoredName, file->TableString),
              std::make_tuple("DCBA", "", ""));
    ASSERT_EQ(file->CategoryCount, 1);
    ASSERT_EQ(file->Categories.size(), 1u);
    const TPalmDesktopCategory& category = file->Categories[0];
    EXPECT_EQ(std::tie(category.Index, category.ID, category.LongName, category.ShortName),
              std::make_tuple(1u, 2u, "Logs", "Log"));
    EXPECT_EQ(file->FieldCount, 6);
    EXPECT_EQ(file->FieldTypes, std::vector<std::uint16_t>(6, 0));
    EXPECT_EQ(file->RecordCount, 1);
    EXPECT_EQ(MemoTexts(*file), std::vector<std::string>{"abc"});
}

TEST(TPalmDesktopMemoFile, RecordsFollowTheFixedLayout)
{
    // Field types that describe something else do not change the layout.
    const std::string text300(300, 'L');
    const auto file =
        Parsed(MemoHeader({1, 5, 5, 5, 6, 1, 1, 1}, 24) + MemoRecord("Zelmaro\r\n1", 100) +
               MemoRecord("", 200) + MemoRecord(text300, 300));
    EXPECT_EQ(std::tie(file->Tag, file->StoredName, file->TableString),
              std::make_tuple("ABCD", "MemoDB", "Table"));
    EXPECT_EQ(file->ResourceID, 1u);
    EXPECT_EQ(file->PlacementPosition, 5u);
    ASSERT_EQ(file->RecordCount, 3);
    EXPECT_EQ(MemoTexts(*file), (std::vector<std::string>{"Zelmaro\r\n1", "", text300}));
    const TPalmDesktopMemo& empty = file->Memos[1];
    EXPECT_EQ(std::tie(empty.Field1Type, empty.TextPad, empty.Field5Type, empty.Field6),
              std::make_tuple(200u, 207u, 208u, 211u));
    EXPECT_EQ(file->Memos[2].Field6, 311u);
}

TEST(TPalmDesktopMemoFile, HeaderOutcomes)
{
    const std::string noCategories = "DCBA" + Short("") + Short("") + Le32(0);
    // clang-format off
    const struct {
        const char* what;
        std::string bytes;
        std::int32_t records;
        std::vector<std::string> texts;
        bool reset = false; // the header was reset
    } cases[] = {
        {"remainder of the entry count is dropped",
         MemoHeader({1, 1, 1, 1, 1, 1}, 13) + MemoRecord("a") + MemoRecord("b"), 2, {"a", "b"}},
        {"no categories", MemoHeader({1}, 1) + MemoRecord("x"), 1, {"x"}},
        {"no fields", MemoHeader({}, 6) + MemoRecord("x"), 0, {}, true},
        {"negative record count", MemoHeader({1}, 0x80000000u) + MemoRecord("x"), 0, {}, true},
        // The count stays; the records past the end are empty and left out.
        {"record count past the end of the file", MemoHeader({1}, 1000) + MemoRecord("x"),
         1000, {"x"}},
        {"category count too large", noCategories + Le32(0x7FFFFFFF) + std::string(100, '\0'),
         0, {}, true},
        {"negative category count", noCategories + Le32(0xFFFFFFFF) + std::string(100, '\0'),
         0, {}, true},
        // The entry count past the end reads as 0: no records, but a header.
        {"field count past the end",
         "DCBA" + Short("") + Short("") + std::string(28, '\0') + Le16(0xFFFF) +
             std::string(8, '\0'), 0, {}},
        {"empty file", "", 0, {}, true},
        // A file cut inside its last record keeps the records before the cut.
        {"cut short",
         MemoHeader({1}, 3) + MemoRecord("one") + MemoRecord("two") +
             MemoRecord("three").substr(0, 35), 3, {"one", "two", "th"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto file = Parsed(c.bytes);
        EXPECT_EQ(file->RecordCount, c.records);
        EXPECT_EQ(MemoTexts(*file), c.texts);
        EXPECT_EQ(file->Tag, c.reset ? "" : "ABCD");
        if (c.reset) {
            EXPECT_TRUE(file->Categories.empty());
        }
    }
}

TEST(TPalmDesktopFile, ReadsTheHeaderOnlyAndResetsOnDamage)
{
    TPalmDesktopFile file;
    EXPECT_EQ(file.FileName, "");
    EXPECT_EQ(file.RecordCount, 0);
    ByteStream good(kSmallDatabase);
    file.LoadFrom(&good);
    EXPECT_EQ(std::make_tuple(file.RecordCount, file.Categories.size()), std::make_tuple(1, 1u));
    ByteStream noFields(MemoHeader({}, 6));
    file.LoadFrom(&noFields);
    EXPECT_EQ(std::make_tuple(file.RecordCount, file.Tag, file.Categories.size()),
              std::make_tuple(0, "", 0u));

    TempDir dir;
    file.FileName = dir.Write("memopad.dat", kSmallDatabase);
    EXPECT_TRUE(file.Load());
    EXPECT_EQ(file.Tag, "DCBA");
    file.FileName = dir.Path() + "/missing.dat";
    EXPECT_TRUE(file.Load());
    EXPECT_EQ(file.Tag, "");
}

// Users 7 (twice: "Anna" first) and 9.
class MemoFileForUser : public ::testing::Test, protected PalmInstall {
protected:
    void SetUp() override
    {
        Dir.Write("Palm/users.dat",
                  UsersFile(3, ClassHeader("CUser") + User(7, "Anna", "AnnaD") +
                                   User(7, "Bea", "BeaD") + User(9, "Carl", "CarlD")));
    }
};

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST_F(MemoFileForUser, ReadsTheFirstMatchingUsersMemosInAnyLetterCase)
{
    const std::string anna =
        Dir.Write("Palm/annad/MemoPad/MemoPad.dat", MemoHeader({1}, 1) + MemoRecord("Anna"));
    Dir.Write("Palm/BeaD/memopad/memopad.dat", MemoHeader({1}, 1) + MemoRecord("Bea"));
    const auto file = TPalmDesktopMemoFile::ForUser(7, Registry);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FileName, anna);
    EXPECT_EQ(MemoTexts(*file), std::vector<std::string>{"Anna"});
}
#endif

TEST_F(MemoFileForUser, UnknownUserOrMissingDatabaseGivesNoMemos)
{
    Dir.Write("Palm/AnnaD/memopad/memopad.dat", MemoHeader({1}, 1) + MemoRecord("Anna"));
    MemoryRegistryStore notInstalled;
    const std::pair<std::int32_t, const RegistryStore*> cases[] = {
        {9, &Registry}, {8, &Registry}, {0, &Registry}, {-1, &Registry}, {7, &notInstalled},
    };
    for (const auto& [id, registry] : cases) {
        const auto file = TPalmDesktopMemoFile::ForUser(id, *registry);
        ASSERT_TRUE(file) << id;
        EXPECT_EQ(file->FileName, "");
        EXPECT_EQ(file->RecordCount, 0);
        EXPECT_TRUE(file->Memos.empty());
    }
}

TEST_F(MemoFileForUser, DamagedDatabaseReadsAsEmpty)
{
    Dir.Write("Palm/AnnaD/memopad/memopad.dat", MemoHeader({}, 6) + MemoRecord("x"));
    const auto file = TPalmDesktopMemoFile::ForUser(7, Registry);
    ASSERT_TRUE(file);
    EXPECT_NE(file->FileName, "");
    EXPECT_EQ(file->RecordCount, 0);
    EXPECT_TRUE(file->Memos.empty());
}

#ifdef __linux__
TEST_F(MemoFileForUser, UnreadableDatabaseFailsTheRead)
{
    // A file that exists but fails every read, also for root: the process's
    // own memory, which cannot be read at address 0.
    Dir.Dir("Palm/AnnaD/memopad");
    const std::string database = Path + "/AnnaD/memopad/memopad.dat";
    std::filesystem::create_symlink("/proc/self/mem", database);
    const std::string why = "Die Palm-Desktop-Datei \"" + database + "\" ließ sich nicht lesen.";
    const auto memos = TPalmDesktopMemoFile::ForUser(7, Registry);
    EXPECT_FALSE(memos);
    EXPECT_EQ(memos.Error(), why);

    TPalmDesktopFile file;
    ByteStream good(kSmallDatabase);
    file.LoadFrom(&good);
    file.FileName = database;
    const TResult<void> loaded = file.Load();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.Error(), why);
    EXPECT_EQ(file.Tag, "");
}
#endif

} // namespace

#ifndef _WIN32
#include "platform/posix/FileRegistryStore.h"

namespace {

// The way a user sets it up on Linux: the Palm data folder copied over and
// its path written into the registry file by hand.
TEST(MemoFileThroughRegistryFile, FindsTheCopiedPalmFolder)
{
    TempDir dir;
    dir.Dir("Desktop");
    dir.Write("palm/Users.dat", UsersFile(1, ClassHeader("CUser") + User(42, "Desk", "Desk1")));
    dir.Write("palm/desk1/MEMOPAD/memopad.DAT", kSmallDatabase);
    std::string ini = "[Software\\U.S. Robotics\\Pilot Desktop\\Core]\n";
    ini += "\"PIMVersion\"=sz:\"4.1\"\n";
    ini += "\"DesktopPath\"=sz:\"" + dir.Path() + "/Desktop\"\n";
    ini += "\"Path\"=sz:\"" + dir.Path() + "/palm/\"\n";
    FileRegistryStore store(dir.Write("config/registry.ini", ini));
    TPalmUsersDat users(store);
    ASSERT_EQ(Outcome(users), std::make_tuple(true, false, 1));
    EXPECT_EQ(users.Users()[0].Name, "Desk");
    const auto file = TPalmDesktopMemoFile::ForUser(42, store);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->FileName, dir.Path() + "/palm/desk1/MEMOPAD/memopad.DAT");
    EXPECT_EQ(MemoTexts(*file), std::vector<std::string>{"abc"});
}

} // namespace
#endif
