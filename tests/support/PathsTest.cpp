#include "support/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zelmaro;

TEST(JoinPath, WindowsRules)
{
    struct Case {
        const char* dir;
        const char* name;
        const char* joined;
    } cases[] = {
        {"", "a.jpg", "a.jpg"},
        {"C", "a.jpg", "C:\\a.jpg"},
        {"d", "a.jpg", "d:\\a.jpg"},
        {"1", "a.jpg", "1\\a.jpg"},       // only letters are drives
        {"\xc4", "a.jpg", "\xc4\\a.jpg"}, // ASCII letters only
        {"C:", "a.jpg", "C:a.jpg"},
        {"C:\\", "a.jpg", "C:\\a.jpg"},
        {"C:\\Fotos", "a.jpg", "C:\\Fotos\\a.jpg"},
        {"C:\\Fotos\\", "\\a.jpg", "C:\\Fotos\\\\a.jpg"}, // the name is not checked
        {"C:\\Fotos", "", "C:\\Fotos\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinPath(c.dir, c.name, TPathStyle::psWindows), c.joined) << c.dir;
}

TEST(JoinPath, PosixRules)
{
    struct Case {
        const char* dir;
        const char* name;
        const char* joined;
    } cases[] = {
        {"", "a.jpg", "a.jpg"},
        {"/", "a.jpg", "/a.jpg"},
        {"C", "a.jpg", "C/a.jpg"}, // no drive letters
        {"/home/foto", "a.jpg", "/home/foto/a.jpg"},
        {"/home/foto/", "a.jpg", "/home/foto/a.jpg"},
        {"/home/foto:", "a.jpg", "/home/foto:/a.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinPath(c.dir, c.name, TPathStyle::psPosix), c.joined) << c.dir;
}

TEST(DirExists, OnlyExistingDirectories)
{
    auto dir = std::filesystem::temp_directory_path() / "zelmaro-direxists";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "file.txt") << "x";
    EXPECT_TRUE(DirExists(dir.string()));
    EXPECT_FALSE(DirExists((dir / "file.txt").string()));
    EXPECT_FALSE(DirExists((dir / "missing").string()));
    EXPECT_FALSE(DirExists(""));
    EXPECT_TRUE(FileExists((dir / "file.txt").string()));
    EXPECT_FALSE(FileExists(dir.string()));
    std::filesystem::remove_all(dir);
}
