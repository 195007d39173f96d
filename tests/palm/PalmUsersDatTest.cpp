#include "palm/PalmUsersDat.h"
#include "PalmTestSupport.h"
#include "palm/PalmPaths.h"
#include "platform/MemoryRegistryStore.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

// The complete one-user file: count 1, class CUser, user 42 "Desk" in "Desk1".
const std::string kOneUserFile =
    Bytes({0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00, 0x43, 0x55, 0x73, 0x65, 0x72,
           0x2A, 0x00, 0x00, 0x00, 0x04, 0x44, 0x65, 0x73, 0x6B, 0x05, 0x44, 0x65, 0x73,
           0x6B, 0x31, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80});

std::string ClassHeader(std::string_view name)
{
    return Le16(1) + Le16(static_cast<std::uint16_t>(name.size())) + std::string(name);
}

// A user object and the tag after it.
std::string User(std::int32_t id, std::string_view name, std::string_view directory,
                 std::uint16_t nextTag, std::string_view block = "", std::uint16_t flag = 0)
{
    return Le32(static_cast<std::uint32_t>(id)) + Short(name) + Short(directory) + Le16(flag) +
           Le16(static_cast<std::uint16_t>(block.size())) + Le16(0) + std::string(block) + Le16(0) +
           Le16(nextTag);
}

std::string File(std::int16_t count, std::string_view rest)
{
    return Le16(static_cast<std::uint16_t>(count)) + Le16(0xFFFF) + std::string(rest);
}

class PalmUsersDatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop_ = dir_.Dir("Programme/Palm");
        path_ = dir_.Dir("Palm");
        SetRegistry("4.1", desktop_, path_);
    }
    void SetRegistry(const std::string& pim, const std::string& desktop, const std::string& path)
    {
        registry_ = MemoryRegistryStore();
        registry_.CreateKey(kPalmDesktopKey);
        registry_.SetValue(kPalmDesktopKey, "PIMVersion", {kRegSz, pim});
        registry_.SetValue(kPalmDesktopKey, "DesktopPath", {kRegSz, desktop});
        registry_.SetValue(kPalmDesktopKey, "Path", {kRegSz, path});
    }
    void WriteUsers(std::string_view bytes) { dir_.Write("Palm/users.dat", bytes); }

    TempDir dir_;
    std::string desktop_;
    std::string path_;
    MemoryRegistryStore registry_;
};

TEST_F(PalmUsersDatTest, ReadsACompleteFile)
{
    WriteUsers(kOneUserFile);
    TPalmUsersDat users(registry_);
    EXPECT_TRUE(users.Installed());
    EXPECT_FALSE(users.LoadError());
    ASSERT_EQ(users.Count(), 1);
    const TPalmUser& user = users.Users()[0];
    EXPECT_EQ(user.UserID, 42);
    EXPECT_EQ(user.Name, "Desk");
    EXPECT_EQ(user.Directory, "Desk1");
    EXPECT_TRUE(user.UserFlag);
    EXPECT_EQ(users.PIMVersion(), "4.1");
    EXPECT_EQ(users.Path(), path_);
}

TEST_F(PalmUsersDatTest, InstalledOnlyWithAllThreeValuesAndBothDirectories)
{
    WriteUsers(kOneUserFile);
    const std::string missing = dir_.Path() + "/nowhere";
    const std::string file = dir_.Write("plain.txt", "x");
    const struct {
        const char* what;
        std::string pim, desktop, path;
        bool installed;
    } cases[] = {
        {"all there", "4.1", desktop_, path_, true},
        {"no version", "", desktop_, path_, false},
        {"desktop path missing", "4.1", missing, path_, false},
        {"desktop path is a file", "4.1", file, path_, false},
        {"data path missing", "4.1", desktop_, missing, false},
        {"data path empty", "4.1", desktop_, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetRegistry(c.pim, c.desktop, c.path);
        TPalmUsersDat users(registry_);
        EXPECT_EQ(users.Installed(), c.installed);
        EXPECT_EQ(users.Count(), c.installed ? 1 : 0);
        EXPECT_EQ(users.LoadError(), !c.installed);
    }
    MemoryRegistryStore empty;
    TPalmUsersDat none(empty);
    EXPECT_FALSE(none.Installed());
    EXPECT_EQ(none.Count(), 0);
}

TEST_F(PalmUsersDatTest, InstalledWithoutUsersFile)
{
    TPalmUsersDat users(registry_);
    EXPECT_TRUE(users.Installed());
    EXPECT_TRUE(users.LoadError());
    EXPECT_EQ(users.Count(), 0);

    dir_.Dir("Palm/users.dat"); // a directory is no file
    users.Load();
    EXPECT_TRUE(users.Installed());
    EXPECT_EQ(users.Count(), 0);

#ifdef __linux__
    // A file that cannot be read (also not by root) is absorbed as well.
    std::filesystem::remove(path_ + "/users.dat");
    std::filesystem::create_symlink("/proc/self/mem", path_ + "/users.dat");
    users.Load();
    EXPECT_TRUE(users.Installed());
    EXPECT_TRUE(users.LoadError());
    EXPECT_EQ(users.Count(), 0);
#endif
}

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST_F(PalmUsersDatTest, FindsFilesAndFoldersInOtherLetterCase)
{
    dir_.Write("Palm/USERS.DAT", kOneUserFile);
    dir_.Dir("Palm/desk1/INSTALL");
    dir_.Dir("Palm/desk1/quickinstall/handheld");
    dir_.Dir("Palm/desk1/QuickInstall/ExpCard");
    dir_.Dir("Palm/desk1/cardinst/slot-2");
    dir_.Dir("Palm/desk1/cardinst/SLOT-1");
    dir_.Write("Palm/desk1/cardinst/Slot-0", "a file, not a slot");
    dir_.Dir("Palm/desk1/cardinst/Other");
    TPalmUsersDat users(registry_);
    ASSERT_EQ(users.Count(), 1);
    const TPalmUser& user = users.Users()[0];
    EXPECT_EQ(user.InstallDir, path_ + "/desk1/INSTALL");
    EXPECT_EQ(user.HandHeldQuickInstallDir, path_ + "/desk1/quickinstall/handheld");
    // Two spellings of QuickInstall exist; each is looked into.
    EXPECT_EQ(user.ExpCardQuickInstallDir, path_ + "/desk1/QuickInstall/ExpCard");
    EXPECT_EQ(user.CardInstallDir, path_ + "/desk1/cardinst/SLOT-1");
}
#endif

TEST_F(PalmUsersDatTest, DirectoriesThatDoNotExistStayEmpty)
{
    dir_.Dir("Palm/Desk1/CardInst");
    WriteUsers(kOneUserFile);
    TPalmUsersDat users(registry_);
    ASSERT_EQ(users.Count(), 1);
    const TPalmUser& user = users.Users()[0];
    EXPECT_EQ(user.InstallDir, "");
    EXPECT_EQ(user.CardInstallDir, "");
    EXPECT_EQ(user.HandHeldQuickInstallDir, "");
    EXPECT_EQ(user.ExpCardQuickInstallDir, "");
}

#ifndef _WIN32
TEST_F(PalmUsersDatTest, EachUserKeepsItsOwnDirectoriesWhenUsersAreReadAgain)
{
    // A nested header reads both users again; what was looked up for one
    // directory text must not reach another.
    dir_.Dir("Palm/anna/Install");
    dir_.Dir("Palm/Bernd");
    WriteUsers(File(2, ClassHeader("CUser") + User(7, "Anna", "Anna", 0x8001) +
                           User(8, "Bernd", "bernd", 0xFFFF) + ClassHeader("CUser") +
                           User(7, "Anna", "ANNA", 0x8001) + User(8, "Bernd", "bernd", 0x8001)));
    TPalmUsersDat users(registry_);
    ASSERT_EQ(users.Count(), 2);
    EXPECT_FALSE(users.LoadError());
    EXPECT_EQ(users.Users()[0].Directory, "ANNA");
    EXPECT_EQ(users.Users()[0].InstallDir, path_ + "/anna/Install");
    EXPECT_EQ(users.Users()[1].InstallDir, "");
    dir_.Dir("Palm/Bernd/Install");
    users.Load(); // a new load looks again
    EXPECT_EQ(users.Users()[1].InstallDir, path_ + "/Bernd/Install");
}
#endif

struct ParseCase {
    const char* what;
    std::string bytes;
    std::int32_t count;
    bool loadError;
    std::vector<std::int32_t> ids; // of the records, 0 for an empty one
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.what;
}

class PalmUsersDatParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PalmUsersDatParse, Outcome)
{
    const ParseCase& c = GetParam();
    MemoryRegistryStore none;
    TPalmUsersDat users(none);
    ByteStream stream(c.bytes);
    users.Parse(stream);
    EXPECT_EQ(users.Count(), c.count);
    EXPECT_EQ(users.LoadError(), c.loadError);
    std::vector<std::int32_t> ids;
    for (const TPalmUser& user : users.Users())
        ids.push_back(user.UserID);
    EXPECT_EQ(ids, c.ids);
}

const std::string kPad(40, '\0'); // enough bytes for a few users to fit

INSTANTIATE_TEST_SUITE_P(
    Files, PalmUsersDatParse,
    ::testing::Values(
        ParseCase{"count zero", Le16(0) + kOneUserFile.substr(2), 0, true, {}},
        ParseCase{"negative count", Bytes({0x00, 0x80}) + kOneUserFile.substr(2), 0, true, {}},
        ParseCase{"wrong tag", Le16(2) + Le16(0x8001) + kPad, 2, true, {0, 0}},
        ParseCase{"wrong tag and nothing after it", Le16(2) + Le16(0x8001), 2, true, {0, 0}},
        ParseCase{"wrong schema",
                  File(1, Le16(2) + Le16(5) + "CUser" + User(7, "A", "a", 0x8001)),
                  1,
                  true,
                  {0}},
        ParseCase{"class name too long",
                  File(1, Le16(1) + Le16(256) + std::string(256, 'C')),
                  1,
                  true,
                  {0}},
        ParseCase{"unknown class",
                  File(1, ClassHeader("CUsers") + User(7, "A", "a", 0x8001)),
                  1,
                  true,
                  {0}},
        ParseCase{"class name in lower case",
                  File(1, ClassHeader("cuser") + User(7, "A", "a", 0x8001)),
                  1,
                  false,
                  {7}},
        ParseCase{"class name ends at a NUL",
                  File(1, ClassHeader(std::string("CUser\0junk", 10)) + User(7, "A", "a", 0x8001)),
                  1,
                  false,
                  {7}},
        ParseCase{
            "two users one after the other",
            File(2, ClassHeader("CUser") + User(7, "A", "a", 0x8001) + User(8, "B", "b", 0x8001)),
            2,
            false,
            {7, 8}},
        ParseCase{"unknown tag after the last user, skip reaches the end",
                  File(2, ClassHeader("CUser") + User(7, "A", "a", 0x8001) +
                              User(8, "B", "b", 0x1234) + Bytes({1, 2, 3, 4, 5, 6, 0x03, 0x80, 9})),
                  2,
                  false,
                  {7, 8}},
        ParseCase{"sync preference between users",
                  File(2, ClassHeader("CUser") + User(7, "A", "a", 0xFFFF) +
                              ClassHeader("CUserSyncPreference") + Bytes({1, 2, 3, 4}) +
                              Bytes({9, 0x03, 0x80, 0x01, 0x80}) + User(8, "B", "b", 0x8001)),
                  2,
                  false,
                  {7, 8}},
        ParseCase{"0x80 after another byte fails the skip",
                  File(2, ClassHeader("CUser") + User(7, "A", "a", 0xFFFF) +
                              ClassHeader("CUserSyncPreference") + Bytes({1, 2, 3, 4}) +
                              Bytes({9, 0x02, 0x80, 0x01, 0x80}) + User(8, "B", "b", 0x8001)),
                  2,
                  true,
                  {7, 0}},
        ParseCase{"file that starts with the sync preference",
                  File(1, ClassHeader("CUserSyncPreference") + Bytes({0, 0, 0, 0, 5})),
                  1,
                  false,
                  {0}},
        ParseCase{"name length 0x80 fails at that user",
                  File(2, ClassHeader("CUser") + User(7, "A", "a", 0x8001) + Le32(8) +
                              Bytes({0x80}) + kPad),
                  2,
                  true,
                  {7, 8}},
        ParseCase{"empty directory name fails",
                  File(1, ClassHeader("CUser") + Le32(9) + Short("A") + Bytes({0}) + kPad),
                  1,
                  true,
                  {9}},
        ParseCase{
            "same id twice",
            File(2, ClassHeader("CUser") + User(5, "A", "a", 0x8001) + User(5, "B", "b", 0x8001)),
            2,
            false,
            {5, 5}},
        ParseCase{"file cut after the last directory name",
                  File(1, ClassHeader("CUser") + Le32(3) + Short("A") + Short("a")),
                  1,
                  false,
                  {3}},
        ParseCase{"count larger than the file could hold is kept",
                  Le16(0x7FFF) + Le16(0xFFFF) + kPad, 0x7FFF, true,
                  std::vector<std::int32_t>(0x7FFF, 0)}),
    [](const ::testing::TestParamInfo<ParseCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c != '\0'; ++c)
            name.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
        return name;
    });

TEST(PalmUsersDatParseDetails, BlockLongerThanExtraDataIsPassedOverWhole)
{
    std::string block;
    for (int i = 0; i < 50; ++i)
        block.push_back(static_cast<char>(i + 1));
    MemoryRegistryStore none;
    TPalmUsersDat users(none);
    ByteStream stream(File(2, ClassHeader("CUser") + User(7, "Anna", "AnnaD", 0x8001, block, 1) +
                                  User(8, "Bernd", "BerndD", 0x8001, "xy", 2)));
    users.Parse(stream);
    EXPECT_FALSE(users.LoadError());
    ASSERT_EQ(users.Count(), 2);
    const TPalmUser& anna = users.Users()[0];
    EXPECT_TRUE(anna.UserFlag);
    EXPECT_EQ(anna.ExtraData[0], 1);
    EXPECT_EQ(anna.ExtraData[35], 36);
    const TPalmUser& bernd = users.Users()[1];
    EXPECT_EQ(bernd.Name, "Bernd");
    EXPECT_EQ(bernd.Directory, "BerndD");
    EXPECT_FALSE(bernd.UserFlag);
    EXPECT_EQ(bernd.ExtraData[0], 'x');
    EXPECT_EQ(bernd.ExtraData[2], 0);
}

TEST(PalmUsersDatParseDetails, DeeplyNestedClassHeadersDoNotExhaustTheStack)
{
    // Every user is followed by a further CUser header, which reads the single
    // user again: a hundred thousand levels deep.
    std::string body;
    const std::string level = ClassHeader("CUser") + User(1, "A", "a", 0xFFFF);
    for (int i = 0; i < 100000; ++i)
        body += level;
    body += ClassHeader("CUser") + User(2, "B", "b", 0x8001);
    MemoryRegistryStore none;
    TPalmUsersDat users(none);
    ByteStream stream(File(1, body));
    users.Parse(stream);
    EXPECT_FALSE(users.LoadError());
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Users()[0].UserID, 2);
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(PalmUsersDatTest, LoadStartsAfresh)
{
    WriteUsers(
        File(2, ClassHeader("CUser") + User(7, "A", "a", 0x8001) + User(8, "B", "b", 0x8001)));
    TPalmUsersDat users(registry_);
    ASSERT_EQ(users.Count(), 2);
    WriteUsers(kOneUserFile);
    users.Load();
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Users()[0].UserID, 42);
    registry_ = MemoryRegistryStore();
    users.Load();
    EXPECT_FALSE(users.Installed());
    EXPECT_EQ(users.Count(), 0);
    EXPECT_EQ(users.Path(), "");
}

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST(FindPathIgnoringCase, PartsAreMatchedOneByOne)
{
    TempDir dir;
    dir.Write("MemoPad/MemoPad.dat", "x");
    dir.Write("Other/memopad.dat", "y");
    const std::string base = dir.Path();
    EXPECT_EQ(FindPathIgnoringCase(base, "memopad\\memopad.dat"), base + "/MemoPad/MemoPad.dat");
    EXPECT_EQ(FindPathIgnoringCase(base, "MEMOPAD/MEMOPAD.DAT"), base + "/MemoPad/MemoPad.dat");
    EXPECT_EQ(FindPathIgnoringCase(base + "/", "memopad"), base + "/MemoPad");
    EXPECT_EQ(FindPathIgnoringCase(base, "memopad\\todo.dat"), "");
    EXPECT_EQ(FindPathIgnoringCase(base, "..\\" + dir.Path()), "");
    EXPECT_EQ(FindPathIgnoringCase(base, "Other\\..\\MemoPad"), "");
    EXPECT_EQ(FindPathIgnoringCase(base, std::string("MemoPad\0/x", 10)), "");
    EXPECT_EQ(FindPathIgnoringCase("", "MemoPad"), "");
    EXPECT_EQ(FindPathIgnoringCase(base + "/missing", "MemoPad"), "");
}
#else
TEST(FindPathIgnoringCase, WindowsFindsAnySpellingAsAsked)
{
    TempDir dir;
    dir.Write("MemoPad/MemoPad.dat", "x");
    const std::string base = dir.Path();
    const std::string found = FindPathIgnoringCase(base, "memopad/MEMOPAD.DAT");
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(std::filesystem::equivalent(found, base + "\\MemoPad\\MemoPad.dat")) << found;
    EXPECT_EQ(FindPathIgnoringCase(base, "memopad\\todo.dat"), "");
    EXPECT_EQ(FindPathIgnoringCase(base, "Other\\..\\MemoPad"), "");
}
#endif

} // namespace
