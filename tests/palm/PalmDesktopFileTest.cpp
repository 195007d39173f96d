#include "palm/PalmDesktopFile.h"
#include "PalmTestSupport.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"

#include <gtest/gtest.h>

#include <memory>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

// The complete small database: tag ABCD, one category "Logs"/"Log", six
// fields, six entries and so one memo "abc".
const std::string kSmallDatabase =
    Bytes({0x41, 0x42, 0x43, 0x44, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
           0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
           0x00, 0x00, 0x04, 0x4C, 0x6F, 0x67, 0x73, 0x03, 0x4C, 0x6F, 0x67}) +
    std::string(20, '\0') + Bytes({0x06, 0x00}) + std::string(12, '\0') +
    Bytes({0x06, 0x00, 0x00, 0x00}) + std::string(32, '\0') + Bytes({0x03, 0x61, 0x62, 0x63}) +
    std::string(16, '\0');

// A header with no categories, the given field types and entry count.
std::string Header(std::vector<std::uint16_t> fieldTypes, std::uint32_t entries)
{
    std::string out = "DCBA" + Short("MemoDB") + Short("Table") + Le32(0) + Le32(0);
    for (std::uint32_t v : {1u, 2u, 3u, 4u, 5u})
        out += Le32(v);
    out += Le16(static_cast<std::uint16_t>(fieldTypes.size()));
    for (std::uint16_t t : fieldTypes)
        out += Le16(t);
    return out + Le32(entries);
}

// A memo record whose numbers count up from first.
std::string Memo(std::string_view text, std::uint32_t first = 0)
{
    std::string out;
    for (std::uint32_t i = 0; i < 8; ++i)
        out += Le32(first + i);
    if (text.size() < 0xFF)
        out += Short(text);
    else
        out += Bytes({0xFF}) + Le16(static_cast<std::uint16_t>(text.size())) + std::string(text);
    for (std::uint32_t i = 8; i < 12; ++i)
        out += Le32(first + i);
    return out;
}

std::unique_ptr<TPalmDesktopMemoFile> Parsed(const std::string& bytes)
{
    auto file = std::make_unique<TPalmDesktopMemoFile>();
    ByteStream stream(bytes);
    file->LoadFrom(&stream);
    return file;
}

std::vector<std::string> Texts(const TPalmDesktopMemoFile& file)
{
    std::vector<std::string> texts;
    for (const TPalmDesktopMemo& memo : file.Memos)
        texts.push_back(memo.Text);
    return texts;
}

TEST(TPalmDesktopMemoFile, ReadsTheCompleteSmallDatabase)
{
    const auto parsed = Parsed(kSmallDatabase);
    const TPalmDesktopMemoFile& file = *parsed;
    EXPECT_EQ(file.Tag, "DCBA");
    EXPECT_EQ(file.StoredName, "");
    EXPECT_EQ(file.TableString, "");
    ASSERT_EQ(file.CategoryCount, 1);
    ASSERT_EQ(file.Categories.size(), 1u);
    EXPECT_EQ(file.Categories[0].Index, 1u);
    EXPECT_EQ(file.Categories[0].ID, 2u);
    EXPECT_EQ(file.Categories[0].LongName, "Logs");
    EXPECT_EQ(file.Categories[0].ShortName, "Log");
    EXPECT_EQ(file.FieldCount, 6);
    EXPECT_EQ(file.FieldTypes, std::vector<std::uint16_t>(6, 0));
    EXPECT_EQ(file.RecordCount, 1);
    EXPECT_EQ(Texts(file), std::vector<std::string>{"abc"});
}

TEST(TPalmDesktopMemoFile, RecordsFollowTheFixedLayout)
{
    // Field types that describe something else do not change the layout.
    const std::string text300(300, 'L');
    const auto parsed = Parsed(Header({1, 5, 5, 5, 6, 1, 1, 1}, 24) + Memo("Zelmaro\r\n1", 100) +
                               Memo("", 200) + Memo(text300, 300));
    const TPalmDesktopMemoFile& file = *parsed;
    EXPECT_EQ(file.Tag, "ABCD");
    EXPECT_EQ(file.StoredName, "MemoDB");
    EXPECT_EQ(file.TableString, "Table");
    EXPECT_EQ(file.ResourceID, 1u);
    EXPECT_EQ(file.PlacementPosition, 5u);
    ASSERT_EQ(file.RecordCount, 3);
    EXPECT_EQ(Texts(file), (std::vector<std::string>{"Zelmaro\r\n1", "", text300}));
    const TPalmDesktopMemo& empty = file.Memos[1];
    EXPECT_EQ(empty.Field1Type, 200u);
    EXPECT_EQ(empty.TextPad, 207u);
    EXPECT_EQ(empty.Field5Type, 208u);
    EXPECT_EQ(empty.Field6, 211u);
    EXPECT_EQ(file.Memos[2].Field6, 311u);
}

TEST(TPalmDesktopMemoFile, HeaderOutcomes)
{
    const struct {
        const char* what;
        std::string bytes;
        std::int32_t records;
        std::vector<std::string> texts;
        bool reset = false; // the header was reset
    } cases[] = {
        {"remainder of the entry count is dropped",
         Header({1, 1, 1, 1, 1, 1}, 13) + Memo("a") + Memo("b"),
         2,
         {"a", "b"}},
        {"no categories", Header({1}, 1) + Memo("x"), 1, {"x"}},
        {"no fields", Header({}, 6) + Memo("x"), 0, {}, true},
        {"negative record count", Header({1}, 0x80000000u) + Memo("x"), 0, {}, true},
        // The count stays; the records past the end are empty and left out.
        {"record count past the end of the file", Header({1}, 1000) + Memo("x"), 1000, {"x"}},
        {"category count too large",
         "DCBA" + Short("") + Short("") + Le32(0) + Le32(0x7FFFFFFF) + std::string(100, '\0'),
         0,
         {},
         true},
        {"negative category count",
         "DCBA" + Short("") + Short("") + Le32(0) + Le32(0xFFFFFFFF) + std::string(100, '\0'),
         0,
         {},
         true},
        // The entry count past the end reads as 0: no records, but a header.
        {"field count past the end",
         "DCBA" + Short("") + Short("") + std::string(28, '\0') + Le16(0xFFFF) +
             std::string(8, '\0'),
         0,
         {}},
        {"empty file", "", 0, {}, true},
        // A file cut inside its last record keeps the records before the cut.
        {"cut short",
         Header({1}, 3) + Memo("one") + Memo("two") + Memo("three").substr(0, 35),
         3,
         {"one", "two", "th"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto parsed = Parsed(c.bytes);
        const TPalmDesktopMemoFile& file = *parsed;
        EXPECT_EQ(file.RecordCount, c.records);
        EXPECT_EQ(Texts(file), c.texts);
        EXPECT_EQ(file.Tag, c.reset ? "" : "ABCD");
        if (c.reset) {
            EXPECT_TRUE(file.Categories.empty());
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
    EXPECT_EQ(file.RecordCount, 1);
    EXPECT_EQ(file.Categories.size(), 1u);
    ByteStream noFields(Header({}, 6));
    file.LoadFrom(&noFields);
    EXPECT_EQ(file.RecordCount, 0);
    EXPECT_EQ(file.Tag, "");
    EXPECT_TRUE(file.Categories.empty());

    TempDir dir;
    file.FileName = dir.Write("memopad.dat", kSmallDatabase);
    file.Load();
    EXPECT_EQ(file.Tag, "DCBA");
    file.FileName = dir.Path() + "/missing.dat";
    file.Load();
    EXPECT_EQ(file.Tag, "");
}

class MemoFileForUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string desktop = dir_.Dir("Desktop");
        const std::string path = dir_.Dir("Palm");
        registry_.CreateKey(kPalmDesktopKey);
        registry_.SetValue(kPalmDesktopKey, "PIMVersion", {kRegSz, "4"});
        registry_.SetValue(kPalmDesktopKey, "DesktopPath", {kRegSz, desktop});
        registry_.SetValue(kPalmDesktopKey, "Path", {kRegSz, path});
        // Users 7 (twice: "Anna" first) and 9.
        auto user = [](std::int32_t id, std::string_view name, std::string_view directory) {
            return Le32(static_cast<std::uint32_t>(id)) + Short(name) + Short(directory) +
                   std::string(8, '\0') + Le16(0x8001);
        };
        dir_.Write("Palm/users.dat", Le16(3) + Le16(0xFFFF) + Le16(1) + Le16(5) + "CUser" +
                                         user(7, "Anna", "AnnaD") + user(7, "Bea", "BeaD") +
                                         user(9, "Carl", "CarlD"));
    }

    TempDir dir_;
    MemoryRegistryStore registry_;
};

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST_F(MemoFileForUser, ReadsTheFirstMatchingUsersMemosInAnyLetterCase)
{
    const std::string anna =
        dir_.Write("Palm/annad/MemoPad/MemoPad.dat", Header({1}, 1) + Memo("Anna"));
    dir_.Write("Palm/BeaD/memopad/memopad.dat", Header({1}, 1) + Memo("Bea"));
    TPalmDesktopMemoFile file(7, registry_);
    EXPECT_EQ(file.FileName, anna);
    EXPECT_EQ(Texts(file), std::vector<std::string>{"Anna"});
}
#endif

TEST_F(MemoFileForUser, UnknownUserOrMissingDatabaseGivesNoMemos)
{
    dir_.Write("Palm/AnnaD/memopad/memopad.dat", Header({1}, 1) + Memo("Anna"));
    for (std::int32_t id : {9, 8, 0, -1}) {
        TPalmDesktopMemoFile file(id, registry_);
        EXPECT_EQ(file.FileName, "");
        EXPECT_EQ(file.RecordCount, 0);
        EXPECT_TRUE(file.Memos.empty());
    }
    MemoryRegistryStore notInstalled;
    TPalmDesktopMemoFile none(7, notInstalled);
    EXPECT_EQ(none.FileName, "");
    EXPECT_TRUE(none.Memos.empty());
}

TEST_F(MemoFileForUser, DamagedDatabaseReadsAsEmpty)
{
    dir_.Write("Palm/AnnaD/memopad/memopad.dat", Header({}, 6) + Memo("x"));
    TPalmDesktopMemoFile file(7, registry_);
    EXPECT_NE(file.FileName, "");
    EXPECT_EQ(file.RecordCount, 0);
    EXPECT_TRUE(file.Memos.empty());
}

#ifdef __linux__
TEST_F(MemoFileForUser, UnreadableDatabaseRaises)
{
    // A file that exists but fails every read, also for root: the process's
    // own memory, which cannot be read at address 0.
    dir_.Dir("Palm/AnnaD/memopad");
    std::filesystem::create_symlink("/proc/self/mem",
                                    dir_.Path() + "/Palm/AnnaD/memopad/memopad.dat");
    EXPECT_THROW(TPalmDesktopMemoFile(7, registry_), EStreamError);

    TPalmDesktopFile file;
    file.FileName = dir_.Path() + "/Palm/AnnaD/memopad/memopad.dat";
    EXPECT_THROW(file.Load(), EStreamError);
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
    dir.Write("palm/Users.dat", Le16(1) + Le16(0xFFFF) + Le16(1) + Le16(5) + "CUser" + Le32(42) +
                                    Short("Desk") + Short("Desk1") + std::string(8, '\0') +
                                    Le16(0x8001));
    dir.Write("palm/desk1/MEMOPAD/memopad.DAT", kSmallDatabase);
    std::string ini = "[Software\\U.S. Robotics\\Pilot Desktop\\Core]\n";
    ini += "\"PIMVersion\"=sz:\"4.1\"\n";
    ini += "\"DesktopPath\"=sz:\"" + dir.Path() + "/Desktop\"\n";
    ini += "\"Path\"=sz:\"" + dir.Path() + "/palm/\"\n";
    FileRegistryStore store(dir.Write("config/registry.ini", ini));
    TPalmUsersDat users(store);
    EXPECT_TRUE(users.Installed());
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Users()[0].Name, "Desk");
    TPalmDesktopMemoFile file(42, store);
    EXPECT_EQ(file.FileName, dir.Path() + "/palm/desk1/MEMOPAD/memopad.DAT");
    EXPECT_EQ(Texts(file), std::vector<std::string>{"abc"});
}

} // namespace
#endif
