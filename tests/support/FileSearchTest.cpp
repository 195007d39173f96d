#include "support/FileSearch.h"
#include "platform/Platform.h"
#include "support/Wildcard.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace zelmaro;
namespace fs = std::filesystem;

// The directory tests below rely on POSIX names and attributes (dot files are
// hidden, symbolic links, "/"); Win32FileSearchTest.cpp covers Windows.
#ifndef _WIN32
namespace {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "zelmaro-find-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    void File(const std::string& name, std::size_t size = 0) const
    {
        std::ofstream(*this / name, std::ios::binary) << std::string(size, 'x');
    }
    void Dir(const std::string& name) const { fs::create_directories(*this / name); }

private:
    std::string path_;
};

std::vector<std::string> PlainFind(const std::string& pattern)
{
    return FindFiles(pattern, false, false, true, false);
}

void SetModified(const std::string& path, std::time_t when)
{
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

} // namespace
#endif

TEST(WildcardMatch, Masks)
{
    struct Case {
        const char* text;
        const char* mask;
        bool ignoreCase;
        bool matches;
    } cases[] = {
        {"IMG_0001.JPG", "*.jpg", true, true},
        {"img_0001.jpg", "*.JPG", true, true},
        {"IMG_0001.JPG", "*.jpg", false, false},
        {"a.JPG.bak", "*.JPG", true, false},
        {"a.JPG.JPG", "*.JPG", true, true}, // the star has to give back
        {"", "*", false, true},
        {"", "", false, true},
        {"a", "", false, false},
        {"", "?", false, false},
        {"a", "a+", false, false}, // "+" needs one character
        {"ab", "a+", false, true},
        {"abc", "a+", false, true},
        {"ac", "a+c", false, false},
        {"abc", "a+c", false, true},
        {"abc", "a?c", false, true},
        {"ac", "a?c", false, false},
        {"bx", "[a-c]x", false, true},
        {"dx", "[a-c]x", false, false},
        {"dx", "[~a-c]x", false, true},
        {"bx", "[~a-c]x", false, false},
        {"Slot-1", "Slot-*", false, true},
        {"Slot-", "Slot-*", false, true},
        {"Slo", "Slot-*", false, false},
        {"a*b", "a\\*b", false, true}, // escaped star is literal
        {"axb", "a\\*b", false, false},
        {"a\\", "a\\", false, true}, // a lone "\" at the end is itself
        {"README.", "*.", true, true},
        {"abcabd", "*ab?", false, true}, // "?" and sets after a star keep it open
        {"xxab", "*?b", false, true},
        {"x1y", "*[0-9]y", false, true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*a*b", false, false},
        {"a]b", "a[\\]]b", false, true},
        {"abc", "abc[", false, false}, // unclosed set
        {"abc", "ab[c", false, false},
        {"abc", "*[c", false, false},
        {"ab]", "ab[\\]", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WildcardMatch(c.text, c.mask, c.ignoreCase), c.matches)
            << c.text << " ~ " << c.mask;
}

TEST(MatchCharSet, SetsRangesNegationEscapes)
{
    struct Case {
        const char* set;
        char ch;
        bool contained;
    } cases[] = {
        {"[abc]", 'b', true},    {"[abc]", 'd', false},
        {"[a-c]", 'a', true},    {"[a-c]", 'c', true},
        {"[a-c]", 'd', false},   {"[~a-c]", 'd', true},
        {"[~a-c]", 'b', false},  {"[]", 'a', false},
        {"[~]", 'a', true},      {"[a-]", '-', true},
        {"[\\-]", '-', true},    {"[\\]]", ']', true},
        {"[a\\-z]", 'b', false}, {"[!-\\~]", 'A', true},
        {"[ab]cd", 'c', false},  {"[\xe0-\xff]", '\xf0', true}, // character codes are unsigned
        {"[ab", 'b', true}, // an unclosed set ends with the text
        {"[a-", 'b', false},     {"[\\", '\\', true},
    };
    for (const Case& c : cases)
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
    struct Case {
        TPathStyle style;
        const char* pattern;
        const char* dir;
        const char* masks;
    } cases[] = {
        {TPathStyle::psWindows, "C:\\Fotos\\*.JPG", "C:\\Fotos", "*.JPG"},
        {TPathStyle::psWindows, "C:\\Fotos\\\\*.JPG", "C:\\Fotos\\\\", "*.JPG"},
        {TPathStyle::psWindows, "C:\\*.JPG", "C:\\", "*.JPG"},
        {TPathStyle::psWindows, "C:*.JPG", "C:", "*.JPG"},
        {TPathStyle::psWindows, "*.JPG;*.TIF", "", "*.JPG;*.TIF"},
        {TPathStyle::psWindows, " C:\\Fotos \\ *.JPG ", "C:\\Fotos", "*.JPG"},
        {TPathStyle::psWindows, "C:\\Fotos\\", "C:\\Fotos", ""},
        {TPathStyle::psPosix, "/home/f/*.JPG", "/home/f", "*.JPG"},
        {TPathStyle::psPosix, "/home/f//*.JPG", "/home/f//", "*.JPG"},
        {TPathStyle::psPosix, "/*.JPG", "/", "*.JPG"},
        {TPathStyle::psPosix, "rel/a*", "rel", "a*"},
        {TPathStyle::psPosix, "a:b\\*.JPG", "", "a:b\\*.JPG"},
        {TPathStyle::psPosix, "", "", ""},
        // A blank belongs to a POSIX name.
        {TPathStyle::psPosix, "/home/f /*.JPG", "/home/f ", "*.JPG"},
        {TPathStyle::psPosix, " rel/ *.JPG ", " rel", "*.JPG"},
    };
    for (const Case& c : cases) {
        TFileSpecParts parts = SplitFileSpec(c.pattern, c.style);
        EXPECT_EQ(parts.Directory, c.dir) << c.pattern;
        EXPECT_EQ(parts.Masks, c.masks) << c.pattern;
    }
}

TEST(DosDateTimeToDays, TwoSecondStepsWithinTheDosYears)
{
    struct Case {
        TLocalTime local;
        double days;
    } cases[] = {
        {{1980, 1, 1, 0, 0, 0}, 29221.0},
        {{1980, 1, 1, 0, 0, 1}, 29221.0}, // odd seconds go down
        {{2008, 1, 5, 21, 3, 7}, 39452.0 + (21 * 3600 + 3 * 60 + 6) / 86400.0},
        {{2107, 12, 31, 23, 59, 59}, 75971.0 + 86398 / 86400.0},
        {{2000, 2, 29, 12, 0, 0}, 36585.5},
        {{1979, 12, 31, 23, 59, 59}, 0},
        {{2108, 1, 1, 0, 0, 0}, 0},
        {{2001, 2, 29, 0, 0, 0}, 0},
        {{2001, 13, 1, 0, 0, 0}, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(DosDateTimeToDays(c.local), c.days)
            << c.local.Year << "-" << c.local.Month;
}

#ifndef _WIN32
TEST(FindFiles, MasksIgnoreCaseAndSkipHiddenFiles)
{
    TempDir dir;
    for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", ".d.jpg", "e.tif", "README", "x.txt"})
        dir.File(name);
    dir.Dir("sub.jpg");

    const std::vector<std::string> jpgs{dir / "a.jpg", dir / "B.JPG"};
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path() + "/", "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(dir.Path() + "/ *.JPG "), jpgs);
    std::vector<std::string> names;
    for (const std::string& path : PlainFind(dir.Path() + "//*.JPG"))
        names.push_back(fs::path(path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "B.JPG"}));

    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.")), std::vector<std::string>{dir / "README"});
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG;;*.TIF;")),
              (std::vector<std::string>{dir / "a.jpg", dir / "B.JPG", dir / "e.tif"}));
    // A file that two masks take comes once.
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG;A*")), jpgs);

    const std::vector<std::string> allFiles{dir / "a.jpg", dir / "B.JPG",  dir / "c.jpeg",
                                            dir / "e.tif", dir / "README", dir / "x.txt"};
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "")), allFiles);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*")), allFiles);

    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.JPG"), false, true, true, false),
              (std::vector<std::string>{dir / ".d.jpg", dir / "a.jpg", dir / "B.JPG"}));
    // Directories are taken whatever the masks say.
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.TXT"), false, false, false, true),
              std::vector<std::string>{dir / "sub.jpg"});
}

TEST(FindFiles, MissingDirectoryOrFileGivesNothing)
{
    TempDir dir;
    dir.File("plain");
    EXPECT_TRUE(PlainFind(dir / "missing/*.JPG").empty());
    EXPECT_TRUE(PlainFind(dir / "plain/*").empty());
}

TEST(FindFiles, AFolderEndingInABlankIsReadAsItself)
{
    TempDir dir;
    dir.Dir("Fotos");
    dir.Dir("Fotos ");
    dir.File("Fotos/A.JPG");
    dir.File("Fotos /B.JPG");
    EXPECT_EQ(PlainFind(dir / "Fotos /*.JPG"), std::vector<std::string>{dir / "Fotos /B.JPG"});
    EXPECT_EQ(PlainFind(dir / "Fotos/*.JPG"), std::vector<std::string>{dir / "Fotos/A.JPG"});
}

TEST(FindFiles, BareMaskSearchesTheCurrentDirectory)
{
    TempDir dir;
    dir.File("one.jpg");
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const std::vector<std::string> found = PlainFind("*.jpg");
    fs::current_path(before);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(fs::equivalent(found[0], dir / "one.jpg"));
}

TEST(FindFiles, RootDirectoryJoinsWithOneSlash)
{
    const std::vector<std::string> found = FindFiles("/*", false, true, false, true);
    ASSERT_FALSE(found.empty());
    for (const std::string& path : found)
        EXPECT_TRUE(path.size() > 1 && path[0] == '/' && path[1] != '/') << path;
}

TEST(FindFiles, RecursionSkipsHiddenDirectoriesAndLinks)
{
    TempDir dir;
    dir.Dir("a/deep/deeper");
    dir.Dir("b");
    dir.Dir(".hidden");
    for (const char* name : {"top.jpg", "a/one.jpg", "a/deep/two.jpg", "a/deep/deeper/three.JPG",
                             "b/four.jpg", "b/skip.txt", ".hidden/five.jpg"})
        dir.File(name);
    fs::create_directory_symlink(dir.Path(), dir / "b/loop");

    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, false, true, false),
              (std::vector<std::string>{dir / "a/deep/deeper/three.JPG", dir / "a/deep/two.jpg",
                                        dir / "a/one.jpg", dir / "b/four.jpg", dir / "top.jpg"}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, true, false, true),
              (std::vector<std::string>{dir / ".hidden", dir / "a", dir / "a/deep",
                                        dir / "a/deep/deeper", dir / "b", dir / "b/loop"}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, true, true, false).size(), 6u);
}

TEST(FindFiles, SortKeys)
{
    TempDir dir;
    dir.File("small", 1);
    dir.File("Large", 300);
    dir.File("medium", 20);
    SetModified(dir / "small", 1'200'000'000);
    SetModified(dir / "Large", 1'100'000'000);
    SetModified(dir / "medium", 1'300'000'000);

    const std::string pattern = JoinPath(dir.Path(), "*");
    const auto find = [&](TFileSortKind kind, bool descending) {
        return FindFiles(pattern, false, false, true, false, kind, descending);
    };
    const std::vector<std::string> bySize{dir / "small", dir / "medium", dir / "Large"};
    const std::vector<std::string> byTime{dir / "Large", dir / "small", dir / "medium"};
    const std::vector<std::string> byName{dir / "Large", dir / "medium", dir / "small"};
    EXPECT_EQ(find(TFileSortKind::skSize, false), bySize);
    EXPECT_EQ(find(TFileSortKind::skSize, true),
              std::vector<std::string>(bySize.rbegin(), bySize.rend()));
    EXPECT_EQ(find(TFileSortKind::skModified, false), byTime);
    EXPECT_EQ(find(TFileSortKind::skModified, true),
              std::vector<std::string>(byTime.rbegin(), byTime.rend()));
    EXPECT_EQ(find(TFileSortKind::skName, false), byName);
    EXPECT_EQ(find(TFileSortKind::skName, true),
              std::vector<std::string>(byName.rbegin(), byName.rend()));
}

TEST(ListDirectory, SlotDirectoriesOnly)
{
    TempDir dir;
    for (const char* name : {"Slot-2", "slot-1", "Other", ".Slot-hidden"})
        dir.Dir(name);
    dir.File("Slot-file");

    std::optional<TDirList> list = ListDirectory(dir.Path(), "Slot-*", true, true);
    ASSERT_TRUE(list.has_value());
    std::vector<std::string> names;
    for (const TDirListEntry& entry : *list) {
        names.push_back(entry.Name);
        EXPECT_TRUE(entry.Item.IsDirectory);
        EXPECT_EQ(entry.Item.Size, 0u);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"slot-1", "Slot-2"}));

    FreeDirList(list);
    EXPECT_FALSE(list.has_value());
}

TEST(ListDirectory, FilesWithDetails)
{
    TempDir dir;
    dir.File("b.dat", 42);
    dir.File(".hidden", 3);
    dir.File("a.txt");
    dir.Dir("sub");
    std::tm local{};
    local.tm_year = 2008 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 5;
    local.tm_hour = 21;
    local.tm_min = 3;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    SetModified(dir / "b.dat", std::mktime(&local));

    std::optional<TDirList> all = ListDirectory(dir.Path(), "  ", false, false);
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 3u); // hidden files count, directories do not
    EXPECT_EQ((*all)[0].Name, ".hidden");
    EXPECT_NE((*all)[0].Item.Attributes & kFileAttributeHidden, 0u);
    EXPECT_EQ((*all)[1].Name, "a.txt");
    const TFileListItem& item = (*all)[2].Item;
    EXPECT_EQ((*all)[2].Name, "b.dat");
    EXPECT_EQ(item.Size, 42u);
    EXPECT_FALSE(item.IsDirectory);
    EXPECT_TRUE(item.ShortName.empty());
    EXPECT_DOUBLE_EQ(item.Modified, 39452.0 + (21 * 3600 + 3 * 60 + 6) / 86400.0);
    EXPECT_GT(item.Created, 0.0);

    std::optional<TDirList> some = ListDirectory(dir.Path(), "*.TXT;SUB", true, false);
    ASSERT_TRUE(some.has_value());
    ASSERT_EQ(some->size(), 2u);
    EXPECT_EQ((*some)[0].Name, "a.txt");
    EXPECT_EQ((*some)[1].Name, "sub");
    EXPECT_TRUE((*some)[1].Item.IsDirectory);
    // No special rule for "*." here: "sub." is not tried.
    EXPECT_TRUE(ListDirectory(dir.Path(), "*.", true, false)->empty());

    EXPECT_FALSE(ListDirectory(dir / "missing", "*", true, false).has_value());
    EXPECT_FALSE(ListDirectory(dir / "b.dat", "*", true, false).has_value());
}
#endif
