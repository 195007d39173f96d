#include "platform/Platform.h"
#include "support/FileSearch.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

using namespace zelmaro;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir()
    {
        std::random_device random;
        path_ = (fs::temp_directory_path() / ("zelmaro-find-" + std::to_string(random()))).string();
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        // Read-only, hidden and system files must lose their attributes to go.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ec))
            ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    void File(const std::string& name, std::size_t size = 0, DWORD attributes = 0) const
    {
        std::ofstream(*this / name, std::ios::binary) << std::string(size, 'x');
        if (attributes != 0)
            ::SetFileAttributesA((*this / name).c_str(), attributes);
    }
    void Dir(const std::string& name, DWORD attributes = 0) const
    {
        fs::create_directories(*this / name);
        if (attributes != 0)
            ::SetFileAttributesA((*this / name).c_str(), attributes);
    }

private:
    std::string path_;
};

// Sets the last write time to a local calendar moment.
void SetModified(const std::string& path, const SYSTEMTIME& local)
{
    FILETIME localTime{};
    FILETIME utc{};
    ASSERT_TRUE(::SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(::LocalFileTimeToFileTime(&localTime, &utc));
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &utc));
    ::CloseHandle(file);
}

std::vector<std::string> PlainFind(const std::string& pattern)
{
    return FindFiles(pattern, false, false, true, false);
}

} // namespace

TEST(Win32FindFiles, MasksIgnoreCaseAndSkipHiddenAndSystemFiles)
{
    TempDir dir;
    for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "e.tif", "README", "x.txt"})
        dir.File(name);
    dir.File("hidden.jpg", 0, FILE_ATTRIBUTE_HIDDEN);
    dir.File("system.jpg", 0, FILE_ATTRIBUTE_SYSTEM);
    dir.Dir("sub.jpg");

    const std::vector<std::string> jpgs{dir / "a.jpg", dir / "B.JPG"};
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path() + "\\", "*.JPG")), jpgs);
    EXPECT_EQ(PlainFind(dir.Path() + "\\ *.JPG "), jpgs);
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.")), std::vector<std::string>{dir / "README"});
    EXPECT_EQ(PlainFind(JoinPath(dir.Path(), "*.JPG;;*.TIF;")),
              (std::vector<std::string>{dir / "a.jpg", dir / "B.JPG", dir / "e.tif"}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.JPG"), false, true, true, false),
              (std::vector<std::string>{dir / "a.jpg", dir / "B.JPG", dir / "hidden.jpg",
                                        dir / "system.jpg"}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.TXT"), false, false, false, true),
              std::vector<std::string>{dir / "sub.jpg"});
    EXPECT_TRUE(PlainFind(dir / "missing\\*.JPG").empty());
    EXPECT_TRUE(PlainFind(dir / "README\\*").empty());
}

TEST(Win32FindFiles, DriveRelativeAndBareMasks)
{
    TempDir dir;
    dir.File("one.jpg");
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const std::vector<std::string> bare = PlainFind("*.jpg");
    fs::current_path(before);
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_TRUE(fs::equivalent(bare[0], dir / "one.jpg"));

    // A drive root keeps its backslash and joins without doubling it.
    const std::string root = dir.Path().substr(0, 3);
    ASSERT_EQ(root.substr(1), ":\\");
    const std::vector<std::string> top = FindFiles(root + "*", false, true, false, true);
    ASSERT_FALSE(top.empty());
    for (const std::string& path : top)
        EXPECT_TRUE(path.rfind(root, 0) == 0 && path[3] != '\\') << path;
}

TEST(Win32FindFiles, RecursionSkipsHiddenDirectories)
{
    TempDir dir;
    dir.Dir("a\\deep");
    dir.Dir("b");
    dir.Dir("hid", FILE_ATTRIBUTE_HIDDEN);
    for (const char* name : {"top.jpg", "a\\one.jpg", "a\\deep\\two.JPG", "b\\four.jpg",
                             "b\\skip.txt", "hid\\five.jpg"})
        dir.File(name);

    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, false, true, false),
              (std::vector<std::string>{dir / "a\\deep\\two.JPG", dir / "a\\one.jpg",
                                        dir / "b\\four.jpg", dir / "top.jpg"}));
    EXPECT_EQ(FindFiles(JoinPath(dir.Path(), "*.jpg"), true, true, true, false).size(), 5u);
}

TEST(Win32ListDirectory, DetailsComeFromTheEnumeration)
{
    TempDir dir;
    dir.File("b.dat", 42, FILE_ATTRIBUTE_READONLY);
    dir.File("hidden.dat", 3, FILE_ATTRIBUTE_HIDDEN);
    dir.File("a long file name.jpeg");
    dir.Dir("Slot-1");
    dir.Dir("slot-2");
    SYSTEMTIME moment{};
    moment.wYear = 2008;
    moment.wMonth = 1;
    moment.wDay = 5;
    moment.wHour = 21;
    moment.wMinute = 3;
    moment.wSecond = 7;
    SetModified(dir / "b.dat", moment);

    std::optional<TDirList> files = ListDirectory(dir.Path(), "", false, false);
    ASSERT_TRUE(files.has_value());
    ASSERT_EQ(files->size(), 3u); // hidden entries are not filtered here
    EXPECT_EQ((*files)[0].Name, "a long file name.jpeg");
    EXPECT_EQ((*files)[1].Name, "b.dat");
    EXPECT_EQ((*files)[2].Name, "hidden.dat");

    // Long names carry an 8.3 alias; names that fit 8.3 need none.
    const std::string& alias = (*files)[0].Item.ShortName;
    EXPECT_FALSE(alias.empty());
    EXPECT_LE(alias.size(), 12u);
    EXPECT_EQ(alias.find(' '), std::string::npos) << alias;

    const TFileListItem& b = (*files)[1].Item;
    EXPECT_EQ(b.Size, 42u);
    EXPECT_NE(b.Attributes & kFileAttributeReadOnly, 0u);
    EXPECT_FALSE(b.IsDirectory);
    // Local time at the 2-second steps of DOS time stamps.
    EXPECT_DOUBLE_EQ(b.Modified, 39452.0 + (21 * 3600 + 3 * 60 + 6) / 86400.0);
    EXPECT_GT(b.Created, 0.0);
    EXPECT_NE((*files)[2].Item.Attributes & kFileAttributeHidden, 0u);

    std::optional<TDirList> slots = ListDirectory(dir.Path(), "Slot-*", true, true);
    ASSERT_TRUE(slots.has_value());
    ASSERT_EQ(slots->size(), 2u);
    EXPECT_EQ((*slots)[0].Name, "Slot-1");
    EXPECT_EQ((*slots)[1].Name, "slot-2");
    EXPECT_TRUE((*slots)[0].Item.IsDirectory);
    EXPECT_EQ((*slots)[0].Item.Size, 0u);

    EXPECT_FALSE(ListDirectory(dir / "missing", "*", true, false).has_value());
    EXPECT_FALSE(ListDirectory(dir / "b.dat", "*", true, false).has_value());
}
