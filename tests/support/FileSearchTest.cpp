#include "support/FileSearch.h"
#include "common/System.h"
#include "common/TempDir.h"
#include "platform/Platform.h"
#include "support/Paths.h"
#include "support/Wildcard.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <ctime>
#include <filesystem>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

Names PlainFind(const std::string& pattern)
{
    return FindFiles(pattern, false, false, true, false);
}

#ifdef _WIN32
constexpr ULONGLONG kUnixEpoch = 11644473600ULL; // seconds from 1601 to 1970

void SetAttributes(const std::string& path, DWORD attributes)
{
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes)) << path;
}

void SetModified(const std::string& path, std::time_t when)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(when) + kUnixEpoch) * 10000000ULL;
    const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc));
    ::CloseHandle(file);
}
#else
void SetModified(const std::string& path, std::time_t when)
{
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}
#endif

std::time_t LocalMoment(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace

TEST(WildcardMatch, Masks)
{
    // clang-format off
    const struct { const char *text, *mask; bool ignoreCase, matches; } cases[] = {
        {"IMG_0001.JPG", "*.jpg", true, true}, {"img_0001.jpg", "*.JPG", true, true},
        {"IMG_0001.JPG", "*.jpg", false, false}, {"a.JPG.bak", "*.JPG", true, false},
        {"a.JPG.JPG", "*.JPG", true, true}, // the star has to give back
        {"", "*", false, true}, {"", "", false, true}, {"a", "", false, false},
        {"", "?", false, false},
        {"a", "a+", false, false}, // "+" needs one character
        {"ab", "a+", false, true}, {"abc", "a+", false, true},
        {"ac", "a+c", false, false}, {"abc", "a+c", false, true},
        {"abc", "a?c", false, true}, {"ac", "a?c", false, false},
        {"bx", "[a-c]x", false, true}, {"dx", "[a-c]x", false, false},
        {"dx", "[~a-c]x", false, true}, {"bx", "[~a-c]x", false, false},
        {"Slot-1", "Slot-*", false, true}, {"Slot-", "Slot-*", false, true},
        {"Slo", "Slot-*", false, false},
        {"a*b", "a\\*b", false, true}, // escaped star is literal
        {"axb", "a\\*b", false, false},
        {"a\\", "a\\", false, true}, // a lone "\" at the end is itself
        {"README.", "*.", true, true},
        {"abcabd", "*ab?", false, true}, // "?" and sets after a star keep it open
        {"xxab", "*?b", false, true}, {"x1y", "*[0-9]y", false, true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*b", false, false},
        {"a]b", "a[\\]]b", false, true},
        {"abc", "abc[", false, false}, // unclosed set
        {"abc", "ab[c", false, false}, {"abc", "*[c", false, false},
        {"ab]", "ab[\\]", false, false},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.text, c.mask, c.ignoreCase), c.matches)
            << c.text << " ~ " << c.mask;
}

TEST(MatchCharSet, SetsRangesNegationEscapes)
{
    // clang-format off
    const struct { const char* set; char ch; bool contained; } cases[] = {
        {"[abc]", 'b', true}, {"[abc]", 'd', false}, {"[a-c]", 'a', true}, {"[a-c]", 'c', true},
        {"[a-c]", 'd', false}, {"[~a-c]", 'd', true}, {"[~a-c]", 'b', false}, {"[]", 'a', false},
        {"[~]", 'a', true}, {"[a-]", '-', true}, {"[\\-]", '-', true}, {"[\\]]", ']', true},
        {"[a\\-z]", 'b', false}, {"[!-\\~]", 'A', true}, {"[ab]cd", 'c', false},
        {"[\xe0-\xff]", '\xf0', true}, // character codes are unsigned
        {"[ab", 'b', true}, // an unclosed set ends with the text
        {"[a-", 'b', false}, {"[\\", '\\', true},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(MatchCharSet(c.set, c.ch), c.contained) << c.set << " " << c.ch;
}

TEST(WildcardMatch, UnclosedSetStopsAtTheEndOfTheMask)
{
    // Exact-size buffers: reading past them trips the address sanitizer.
    for (std::string text : {"[", "[a", "[a-", "[\\", "*[", "a[~", "[a\\"}) {
        std::vector<char> mask(text.begin(), text.end());
        std::string_view view(mask.data(), mask.size());
        EXPECT_FALSE(WildcardMatch("ab", view, true)) << text;
        MatchCharSet(view.substr(view.find('[')), 'a');
    }
}

TEST(SplitFileSpec, DirectoryAndMasks)
{
    constexpr TPathStyle win = TPathStyle::psWindows, posix = TPathStyle::psPosix;
    // clang-format off
    const struct { TPathStyle style; const char *pattern, *dir, *masks; } cases[] = {
        {win, "C:\\Fotos\\*.JPG", "C:\\Fotos", "*.JPG"},
        {win, "C:\\Fotos\\\\*.JPG", "C:\\Fotos\\\\", "*.JPG"},
        {win, "C:\\*.JPG", "C:\\", "*.JPG"}, {win, "C:*.JPG", "C:", "*.JPG"},
        {win, "*.JPG;*.TIF", "", "*.JPG;*.TIF"}, {win, "C:\\Fotos\\", "C:\\Fotos", ""},
        {win, " C:\\Fotos \\ *.JPG ", "C:\\Fotos", "*.JPG"},
        {posix, "/home/f/*.JPG", "/home/f", "*.JPG"}, {posix, "/*.JPG", "/", "*.JPG"},
        {posix, "/home/f//*.JPG", "/home/f//", "*.JPG"}, {posix, "rel/a*", "rel", "a*"},
        {posix, "a:b\\*.JPG", "", "a:b\\*.JPG"}, {posix, "", "", ""},
        // A blank belongs to a POSIX name.
        {posix, "/home/f /*.JPG", "/home/f ", "*.JPG"}, {posix, " rel/ *.JPG ", " rel", "*.JPG"},
    };
    // clang-format on
    for (const auto& c : cases) {
        TFileSpecParts parts = SplitFileSpec(c.pattern, c.style);
        EXPECT_EQ(parts.Directory, c.dir) << c.pattern;
        EXPECT_EQ(parts.Masks, c.masks) << c.pattern;
    }
}

TEST(DosDateTimeToDays, TwoSecondStepsWithinTheDosYears)
{
    // clang-format off
    const struct { TLocalTime local; double days; } cases[] = {
        {{1980, 1, 1, 0, 0, 0}, 29221.0},
        {{1980, 1, 1, 0, 0, 1}, 29221.0}, // odd seconds go down
        {{2008, 1, 5, 21, 3, 7}, 39452.0 + (21 * 3600 + 3 * 60 + 6) / 86400.0},
        {{2107, 12, 31, 23, 59, 59}, 75971.0 + 86398 / 86400.0}, {{2000, 2, 29, 12, 0, 0}, 36585.5},
        {{1979, 12, 31, 23, 59, 59}, 0}, {{2108, 1, 1, 0, 0, 0}, 0},
        {{2001, 2, 29, 0, 0, 0}, 0}, {{2001, 13, 1, 0, 0, 0}, 0},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(DosDateTimeToDays(c.local), c.days)
            << c.local.Year << "-" << c.local.Month;
}

// The folder cases run on both systems; what hides a file differs: a dot
// name on POSIX, the attribute on Windows (which also hides system files).

// Formerly also Win32FindFiles.MasksIgnoreCaseAndSkipHiddenAndSystemFiles.
TEST(FindFiles, MasksIgnoreCaseAndSkipHiddenFiles)
{
    const TTempDir dir;
    for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "e.tif", "README", "x.txt"})
        dir.Write(name);
    dir.Dir("sub.jpg");
#ifdef _WIN32
    SetAttributes(dir.Write("hidden.jpg"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(dir.Write("system.jpg"), FILE_ATTRIBUTE_SYSTEM);
    const Names withHidden{dir.File("a.jpg"), dir.File("B.JPG"), dir.File("hidden.jpg"),
                           dir.File("system.jpg")};
#else
    dir.Write(".d.jpg");
    const Names withHidden{dir.File(".d.jpg"), dir.File("a.jpg"), dir.File("B.JPG")};
#endif
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));

    const Names jpgs{dir.File("a.jpg"), dir.File("B.JPG")};
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path() + sep, "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(dir.Path() + sep + " *.JPG "), jpgs);
    Names names;
    for (const std::string& path : PlainFind(dir.Path() + sep + sep + "*.JPG"))
        names.push_back(fs::path(path).filename().string());
    EXPECT_EQ(names, (Names{"a.jpg", "B.JPG"}));

    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.")), Names{dir.File("README")});
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG;;*.TIF;")),
              (Names{dir.File("a.jpg"), dir.File("B.JPG"), dir.File("e.tif")}));
    // A file that two masks take comes once.
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG;A*")), jpgs);

    const Names allFiles{dir.File("a.jpg"), dir.File("B.JPG"),  dir.File("c.jpeg"),
                         dir.File("e.tif"), dir.File("README"), dir.File("x.txt")};
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "")), allFiles);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*")), allFiles);

    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.JPG"), false, true, true, false), withHidden);
    // Directories are taken whatever the masks say.
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.TXT"), false, false, false, true),
              Names{dir.File("sub.jpg")});
}

TEST(FindFiles, MissingDirectoryOrFileGivesNothing)
{
    const TTempDir dir;
    dir.Write("plain");
    EXPECT_TRUE(PlainFind(dir.File("missing/*.JPG")).empty());
    EXPECT_TRUE(PlainFind(dir.File("plain/*")).empty());
}

TEST(FindFiles, AFolderEndingInABlankIsReadAsItself)
{
    if (kWindows)
        GTEST_SKIP() << "Windows drops a folder name's trailing blank";
    const TTempDir dir;
    dir.Write("Fotos/A.JPG");
    dir.Write("Fotos /B.JPG");
    EXPECT_EQ(PlainFind(dir.File("Fotos /*.JPG")), Names{dir.File("Fotos /B.JPG")});
    EXPECT_EQ(PlainFind(dir.File("Fotos/*.JPG")), Names{dir.File("Fotos/A.JPG")});
}

TEST(FindFiles, BareMaskSearchesTheCurrentDirectory)
{
    const TTempDir dir;
    dir.Write("one.jpg");
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const Names found = PlainFind("*.jpg");
    fs::current_path(before);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(fs::equivalent(found[0], dir.File("one.jpg")));
}

// On Windows the root is the temporary folder's drive, which keeps its backslash.
TEST(FindFiles, RootDirectoryJoinsWithOneSlash)
{
    const TTempDir dir;
    const std::string root = kWindows ? dir.Path().substr(0, 3) : "/";
    if (kWindows) {
        ASSERT_EQ(root.substr(1), ":\\");
    }
    const Names found = FindFiles(root + "*", false, true, false, true);
    ASSERT_FALSE(found.empty());
    for (const std::string& path : found)
        EXPECT_TRUE(path.size() > root.size() && path.rfind(root, 0) == 0 &&
                    path[root.size()] != root.back())
            << path;
}

TEST(FindFiles, RecursionSkipsHiddenDirectoriesAndLinks)
{
    const TTempDir dir;
    for (const char* name : {"top.jpg", "a/one.jpg", "a/deep/two.jpg", "a/deep/deeper/three.JPG",
                             "b/four.jpg", "b/skip.txt"})
        dir.Write(name);
#ifdef _WIN32
    dir.Write("hid/five.jpg");
    SetAttributes(dir.File("hid"), FILE_ATTRIBUTE_HIDDEN);
    const Names dirs{dir.File("a"), dir.File("a/deep"), dir.File("a/deep/deeper"), dir.File("b"),
                     dir.File("hid")};
#else
    dir.Write(".hidden/five.jpg");
    fs::create_directory_symlink(dir.Path(), dir.File("b/loop"));
    const Names dirs{dir.File(".hidden"),       dir.File("a"), dir.File("a/deep"),
                     dir.File("a/deep/deeper"), dir.File("b"), dir.File("b/loop")};
#endif

    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, false, true, false),
              (Names{dir.File("a/deep/deeper/three.JPG"), dir.File("a/deep/two.jpg"),
                     dir.File("a/one.jpg"), dir.File("b/four.jpg"), dir.File("top.jpg")}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, true, false, true), dirs);
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, true, true, false).size(), 6u);
}

TEST(FindFiles, SortKeys)
{
    const TTempDir dir;
    SetModified(dir.Write("small", "x"), 1'200'000'000);
    SetModified(dir.Write("Large", std::string(300, 'x')), 1'100'000'000);
    SetModified(dir.Write("medium", std::string(20, 'x')), 1'300'000'000);

    const auto find = [&](TFileSortKind kind, bool descending) {
        return FindFiles(JoinPath(dir.Path(), "*"), false, false, true, false, kind, descending);
    };
    const Names bySize{dir.File("small"), dir.File("medium"), dir.File("Large")};
    const Names byTime{dir.File("Large"), dir.File("small"), dir.File("medium")};
    const Names byName{dir.File("Large"), dir.File("medium"), dir.File("small")};
    const std::pair<TFileSortKind, Names> orders[] = {
        {TFileSortKind::skSize, bySize},
        {TFileSortKind::skModified, byTime},
        {TFileSortKind::skName, byName},
    };
    for (const auto& [kind, order] : orders) {
        EXPECT_EQ(find(kind, false), order);
        EXPECT_EQ(find(kind, true), Names(order.rbegin(), order.rend()));
    }
}

TEST(ListDirectory, SlotDirectoriesOnly)
{
    const TTempDir dir;
    for (const char* name : {"Slot-2", "slot-1", "Other"})
        dir.Dir(name);
    if (!kWindows)
        dir.Dir(".Slot-hidden");
    dir.Write("Slot-file");

    std::optional<TDirList> list = ListDirectory(dir.Path(), "Slot-*", true, true);
    ASSERT_TRUE(list.has_value());
    Names names;
    for (const TDirListEntry& entry : *list) {
        names.push_back(entry.Name);
        EXPECT_TRUE(entry.Item.IsDirectory);
        EXPECT_EQ(entry.Item.Size, 0u);
    }
    EXPECT_EQ(names, (Names{"slot-1", "Slot-2"}));

    FreeDirList(list);
    EXPECT_FALSE(list.has_value());
}

// Formerly also Win32ListDirectory.DetailsComeFromTheEnumeration.
TEST(ListDirectory, FilesWithDetails)
{
    const TTempDir dir;
    const std::string b = dir.Write("b.dat", std::string(42, 'x'));
    SetModified(b, LocalMoment(2008, 1, 5, 21, 3, 7));
    dir.Dir("sub");
#ifdef _WIN32
    SetAttributes(b, FILE_ATTRIBUTE_READONLY);
    SetAttributes(dir.Write("hidden.dat", "xxx"), FILE_ATTRIBUTE_HIDDEN);
    dir.Write("a long file name.jpeg");
    const Names expected{"a long file name.jpeg", "b.dat", "hidden.dat"};
    const std::size_t bAt = 1, hiddenAt = 2;
#else
    dir.Write(".hidden", "xxx");
    dir.Write("a.txt");
    const Names expected{".hidden", "a.txt", "b.dat"};
    const std::size_t bAt = 2, hiddenAt = 0;
#endif

    std::optional<TDirList> all = ListDirectory(dir.Path(), kWindows ? "" : "  ", false, false);
    ASSERT_TRUE(all.has_value());
    Names names;
    for (const TDirListEntry& entry : *all)
        names.push_back(entry.Name);
    ASSERT_EQ(names, expected); // hidden files count, directories do not
    EXPECT_NE((*all)[hiddenAt].Item.Attributes & kFileAttributeHidden, 0u);
    const TFileListItem& item = (*all)[bAt].Item;
    EXPECT_EQ(item.Size, 42u);
    EXPECT_FALSE(item.IsDirectory);
    // Local time at the 2-second steps of DOS time stamps.
    EXPECT_DOUBLE_EQ(item.Modified, 39452.0 + (21 * 3600 + 3 * 60 + 6) / 86400.0);
    EXPECT_GT(item.Created, 0.0);
#ifdef _WIN32
    EXPECT_NE(item.Attributes & kFileAttributeReadOnly, 0u);
    // Long names carry an 8.3 alias.
    const std::string& alias = (*all)[0].Item.ShortName;
    EXPECT_FALSE(alias.empty());
    EXPECT_LE(alias.size(), 12u);
    EXPECT_EQ(alias.find(' '), std::string::npos) << alias;
#else
    EXPECT_TRUE(item.ShortName.empty());

    std::optional<TDirList> some = ListDirectory(dir.Path(), "*.TXT;SUB", true, false);
    ASSERT_TRUE(some.has_value());
    ASSERT_EQ(some->size(), 2u);
    EXPECT_EQ((*some)[0].Name, "a.txt");
    EXPECT_EQ((*some)[1].Name, "sub");
    EXPECT_TRUE((*some)[1].Item.IsDirectory);
    // No special rule for "*." here: "sub." is not tried.
    EXPECT_TRUE(ListDirectory(dir.Path(), "*.", true, false)->empty());
#endif

    EXPECT_FALSE(ListDirectory(dir.File("missing"), "*", true, false).has_value());
    EXPECT_FALSE(ListDirectory(b, "*", true, false).has_value());
}
