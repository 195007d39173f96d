#include "palm/PalmUsersDat.h"
#include "PalmTestSupport.h"
#include "palm/PalmPaths.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#include <cctype>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

// The complete one-user file: count 1, class CUser, user 42 "Desk" in "Desk1".
const std::string kOneUserFile = PalmFixture("users/complete.dat");

class PalmUsersDatTest : public ::testing::Test, protected PalmInstall {
protected:
    void WriteUsers(std::string_view bytes) { Dir.Write("Palm/users.dat", bytes); }
};

TEST_F(PalmUsersDatTest, ReadsACompleteFile)
{
    WriteUsers(kOneUserFile);
    TPalmUsersDat users(Registry);
    ASSERT_EQ(Outcome(users), std::make_tuple(true, false, 1));
    const TPalmUser& user = users.Users()[0];
    EXPECT_EQ(std::tie(user.UserID, user.Name, user.Directory, user.UserFlag),
              std::make_tuple(42, "Desk", "Desk1", true));
    EXPECT_EQ(std::tie(users.PIMVersion(), users.Path()), std::make_tuple("4.1", Path));
}

TEST_F(PalmUsersDatTest, InstalledOnlyWithAllThreeValuesAndBothDirectories)
{
    WriteUsers(kOneUserFile);
    const std::string missing = Dir.Path() + "/nowhere";
    const std::string file = Dir.Write("plain.txt", "x");
    // clang-format off
    const struct {
        const char* what;
        std::string pim, desktop, path;
        bool installed;
    } cases[] = {
        {"all there", "4.1", Desktop, Path, true},
        {"no version", "", Desktop, Path, false},
        {"desktop path missing", "4.1", missing, Path, false},
        {"desktop path is a file", "4.1", file, Path, false},
        {"data path missing", "4.1", Desktop, missing, false},
        {"data path empty", "4.1", Desktop, "", false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetValues(c.pim, c.desktop, c.path);
        TPalmUsersDat users(Registry);
        EXPECT_EQ(Outcome(users), std::make_tuple(c.installed, !c.installed, c.installed ? 1 : 0));
    }
    MemoryRegistryStore empty;
    TPalmUsersDat none(empty);
    EXPECT_EQ(Outcome(none), std::make_tuple(false, true, 0));
}

TEST_F(PalmUsersDatTest, InstalledWithoutUsersFile)
{
    TPalmUsersDat users(Registry);
    EXPECT_EQ(Outcome(users), std::make_tuple(true, true, 0));

    Dir.Dir("Palm/users.dat"); // a directory is no file
    users.Load();
    EXPECT_EQ(Outcome(users), std::make_tuple(true, true, 0));

#ifdef __linux__
    // A file that cannot be read (also not by root) is absorbed as well.
    std::filesystem::remove(Path + "/users.dat");
    std::filesystem::create_symlink("/proc/self/mem", Path + "/users.dat");
    users.Load();
    EXPECT_EQ(Outcome(users), std::make_tuple(true, true, 0));
#endif
}

TEST_F(PalmUsersDatTest, AFailedLoadSaysWhatCouldNotBeRead)
{
    MemoryRegistryStore empty;
    EXPECT_EQ(TPalmUsersDat(empty).LoadResult().Error(), "Palm Desktop ist nicht eingerichtet.");
    TPalmUsersDat users(Registry);
    EXPECT_EQ(users.LoadResult().Error(),
              "In \"" + Path + "\" fehlt die Palm-Desktop-Benutzerliste users.dat.");
    const std::string list =
        "Die Palm-Desktop-Benutzerliste \"" + JoinPath(Path, "users.dat") + "\" ";
    const std::pair<std::string, std::string> files[] = {
        {UsersFile(1, ClassHeader("CUsers")), "ist beschädigt."},
        {Le16(0), "nennt keinen Benutzer."},
    };
    for (const auto& [bytes, why] : files) {
        WriteUsers(bytes);
        EXPECT_EQ(users.Load().Error(), list + why);
    }
#ifdef __linux__
    std::filesystem::remove(Path + "/users.dat");
    std::filesystem::create_symlink("/proc/self/mem", Path + "/users.dat");
    EXPECT_EQ(users.Load().Error(), list + "ließ sich nicht lesen.");
#endif
}

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST_F(PalmUsersDatTest, FindsFilesAndFoldersInOtherLetterCase)
{
    Dir.Write("Palm/USERS.DAT", kOneUserFile);
    for (const char* folder : {"INSTALL", "quickinstall/handheld", "QuickInstall/ExpCard",
                               "cardinst/slot-2", "cardinst/SLOT-1", "cardinst/Other"})
        Dir.Dir(std::string("Palm/desk1/") + folder);
    Dir.Write("Palm/desk1/cardinst/Slot-0", "a file, not a slot");
    TPalmUsersDat users(Registry);
    ASSERT_EQ(users.Count(), 1);
    const TPalmUser& user = users.Users()[0];
    EXPECT_EQ(user.InstallDir, Path + "/desk1/INSTALL");
    EXPECT_EQ(user.HandHeldQuickInstallDir, Path + "/desk1/quickinstall/handheld");
    // Two spellings of QuickInstall exist; each is looked into.
    EXPECT_EQ(user.ExpCardQuickInstallDir, Path + "/desk1/QuickInstall/ExpCard");
    EXPECT_EQ(user.CardInstallDir, Path + "/desk1/cardinst/SLOT-1");
}
#endif

TEST_F(PalmUsersDatTest, DirectoriesThatDoNotExistStayEmpty)
{
    Dir.Dir("Palm/Desk1/CardInst");
    WriteUsers(kOneUserFile);
    TPalmUsersDat users(Registry);
    ASSERT_EQ(users.Count(), 1);
    const TPalmUser& user = users.Users()[0];
    for (const std::string* dir : {&user.InstallDir, &user.CardInstallDir,
                                   &user.HandHeldQuickInstallDir, &user.ExpCardQuickInstallDir})
        EXPECT_EQ(*dir, "");
}

#ifndef _WIN32
TEST_F(PalmUsersDatTest, EachUserKeepsItsOwnDirectoriesWhenUsersAreReadAgain)
{
    // A nested header reads both users again; what was looked up for one
    // directory text must not reach another.
    Dir.Dir("Palm/anna/Install");
    Dir.Dir("Palm/Bernd");
    WriteUsers(UsersFile(2, ClassHeader("CUser") + User(7, "Anna", "Anna") +
                                User(8, "Bernd", "bernd", 0xFFFF) + ClassHeader("CUser") +
                                User(7, "Anna", "ANNA") + User(8, "Bernd", "bernd")));
    TPalmUsersDat users(Registry);
    ASSERT_EQ(Outcome(users), std::make_tuple(true, false, 2));
    EXPECT_EQ(users.Users()[0].Directory, "ANNA");
    EXPECT_EQ(users.Users()[0].InstallDir, Path + "/anna/Install");
    EXPECT_EQ(users.Users()[1].InstallDir, "");
    Dir.Dir("Palm/Bernd/Install");
    users.Load(); // a new load looks again
    EXPECT_EQ(users.Users()[1].InstallDir, Path + "/Bernd/Install");
}
#endif

TEST_F(PalmUsersDatTest, LoadStartsAfresh)
{
    WriteUsers(UsersFile(2, ClassHeader("CUser") + User(7, "A", "a") + User(8, "B", "b")));
    TPalmUsersDat users(Registry);
    ASSERT_EQ(users.Count(), 2);
    WriteUsers(kOneUserFile);
    users.Load();
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Users()[0].UserID, 42);
    Registry = MemoryRegistryStore();
    users.Load();
    EXPECT_EQ(Outcome(users), std::make_tuple(false, true, 0));
    EXPECT_EQ(users.Path(), "");
}

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
    const ParsedUsers parsed(c.bytes);
    EXPECT_EQ(Outcome(parsed.Users), std::make_tuple(false, c.loadError, c.count));
    std::vector<std::int32_t> ids;
    for (const TPalmUser& user : parsed.Users.Users())
        ids.push_back(user.UserID);
    EXPECT_EQ(ids, c.ids);
}

const std::string kPad(40, '\0'); // enough bytes for a few users to fit
const std::string kUsers = ClassHeader("CUser");
const std::string kSync = ClassHeader("CUserSyncPreference") + Bytes({1, 2, 3, 4});
const std::string kA = User(7, "A", "a");
const std::string kB = User(8, "B", "b");
const std::string kAThenHeader = User(7, "A", "a", 0xFFFF);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, PalmUsersDatParse, ::testing::ValuesIn(std::vector<ParseCase>{
    {"count zero", Le16(0) + kOneUserFile.substr(2), 0, true, {}},
    {"negative count", Bytes({0x00, 0x80}) + kOneUserFile.substr(2), 0, true, {}},
    {"wrong tag", Le16(2) + Le16(0x8001) + kPad, 2, true, {0, 0}},
    {"wrong tag and nothing after it", Le16(2) + Le16(0x8001), 2, true, {0, 0}},
    {"wrong schema", UsersFile(1, Le16(2) + Le16(5) + "CUser" + kA), 1, true, {0}},
    {"class name too long",
     UsersFile(1, Le16(1) + Le16(256) + std::string(256, 'C')), 1, true, {0}},
    {"unknown class", UsersFile(1, ClassHeader("CUsers") + kA), 1, true, {0}},
    {"class name in lower case", UsersFile(1, ClassHeader("cuser") + kA), 1, false, {7}},
    {"class name ends at a NUL",
     UsersFile(1, ClassHeader(std::string("CUser\0junk", 10)) + kA), 1, false, {7}},
    {"two users one after the other", UsersFile(2, kUsers + kA + kB), 2, false, {7, 8}},
    {"unknown tag after the last user, skip reaches the end",
     UsersFile(2, kUsers + kA + User(8, "B", "b", 0x1234) +
                      Bytes({1, 2, 3, 4, 5, 6, 0x03, 0x80, 9})), 2, false, {7, 8}},
    {"sync preference between users",
     UsersFile(2, kUsers + kAThenHeader + kSync + Bytes({9, 0x03, 0x80, 0x01, 0x80}) + kB),
     2, false, {7, 8}},
    {"0x80 after another byte fails the skip",
     UsersFile(2, kUsers + kAThenHeader + kSync + Bytes({9, 0x02, 0x80, 0x01, 0x80}) + kB),
     2, true, {7, 0}},
    {"file that starts with the sync preference",
     UsersFile(1, ClassHeader("CUserSyncPreference") + Bytes({0, 0, 0, 0, 5})), 1, false, {0}},
    {"name length 0x80 fails at that user",
     UsersFile(2, kUsers + kA + Le32(8) + Bytes({0x80}) + kPad), 2, true, {7, 8}},
    {"empty directory name fails",
     UsersFile(1, kUsers + Le32(9) + Short("A") + Bytes({0}) + kPad), 1, true, {9}},
    {"same id twice",
     UsersFile(2, kUsers + User(5, "A", "a") + User(5, "B", "b")), 2, false, {5, 5}},
    {"file cut after the last directory name",
     UsersFile(1, kUsers + Le32(3) + Short("A") + Short("a")), 1, false, {3}},
    {"count larger than the file could hold is kept", Le16(0x7FFF) + Le16(0xFFFF) + kPad,
     0x7FFF, true, std::vector<std::int32_t>(0x7FFF, 0)}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c != '\0'; ++c)
            name.push_back(std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
        return name;
    });
// clang-format on

TEST(PalmUsersDatParseDetails, BlockLongerThanExtraDataIsPassedOverWhole)
{
    std::string block;
    for (int i = 0; i < 50; ++i)
        block.push_back(static_cast<char>(i + 1));
    const ParsedUsers parsed(UsersFile(2, ClassHeader("CUser") +
                                              User(7, "Anna", "AnnaD", 0x8001, block, 1) +
                                              User(8, "Bernd", "BerndD", 0x8001, "xy", 2)));
    ASSERT_EQ(Outcome(parsed.Users), std::make_tuple(false, false, 2));
    const TPalmUser& anna = parsed.Users.Users()[0];
    EXPECT_EQ(std::make_tuple(anna.UserFlag, anna.ExtraData[0], anna.ExtraData[35]),
              std::make_tuple(true, 1, 36));
    const TPalmUser& bernd = parsed.Users.Users()[1];
    EXPECT_EQ(std::tie(bernd.Name, bernd.Directory, bernd.UserFlag),
              std::make_tuple("Bernd", "BerndD", false));
    EXPECT_EQ(std::make_tuple(bernd.ExtraData[0], bernd.ExtraData[2]), std::make_tuple('x', 0));
}

TEST(PalmUsersDatParseDetails, DeeplyNestedClassHeadersDoNotExhaustTheStack)
{
    // Every user is followed by a further CUser header, which reads the single
    // user again: a hundred thousand levels deep.
    std::string body;
    const std::string level = ClassHeader("CUser") + User(1, "A", "a", 0xFFFF);
    for (int i = 0; i < 100000; ++i)
        body += level;
    const ParsedUsers parsed(UsersFile(1, body + ClassHeader("CUser") + User(2, "B", "b")));
    ASSERT_EQ(Outcome(parsed.Users), std::make_tuple(false, false, 1));
    EXPECT_EQ(parsed.Users.Users()[0].UserID, 2);
    EXPECT_EQ(parsed.Stream.Position(), parsed.Stream.Size());
}

// Letter case only matters where the file system keeps it apart.
#ifndef _WIN32
TEST(FindPathIgnoringCase, PartsAreMatchedOneByOne)
{
    TempDir dir;
    dir.Write("MemoPad/MemoPad.dat", "x");
    dir.Write("Other/memopad.dat", "y");
    const std::string base = dir.Path();
    const std::string found = base + "/MemoPad/MemoPad.dat";
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {base, "memopad\\memopad.dat", found},
        {base, "MEMOPAD/MEMOPAD.DAT", found},
        {base + "/", "memopad", base + "/MemoPad"},
        {base, "memopad\\todo.dat", ""},
        {base, "..\\" + dir.Path(), ""},
        {base, "Other\\..\\MemoPad", ""},
        {base, std::string("MemoPad\0/x", 10), ""},
        {"", "MemoPad", ""},
        {base + "/missing", "MemoPad", ""},
    };
    // clang-format on
    for (const auto& [from, relative, expected] : cases)
        EXPECT_EQ(FindPathIgnoringCase(from, relative), expected) << relative;
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
