#include "support/Paths.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

using namespace zelmaro;

namespace {

struct JoinCase {
    const char *dir, *name, *joined;
};

} // namespace

TEST(JoinPath, WindowsRules)
{
    // clang-format off
    const JoinCase cases[] = {
        {"", "a.jpg", "a.jpg"}, {"C", "a.jpg", "C:\\a.jpg"}, {"d", "a.jpg", "d:\\a.jpg"},
        {"1", "a.jpg", "1\\a.jpg"},       // only letters are drives
        {"\xc4", "a.jpg", "\xc4\\a.jpg"}, // ASCII letters only
        {"C:", "a.jpg", "C:a.jpg"}, {"C:\\", "a.jpg", "C:\\a.jpg"},
        {"C:\\Fotos", "a.jpg", "C:\\Fotos\\a.jpg"},
        {"C:\\Fotos\\", "\\a.jpg", "C:\\Fotos\\\\a.jpg"}, // the name is not checked
        {"C:\\Fotos", "", "C:\\Fotos\\"},
    };
    // clang-format on
    for (const JoinCase& c : cases)
        EXPECT_EQ(JoinPath(c.dir, c.name, TPathStyle::psWindows), c.joined) << c.dir;
}

TEST(JoinPath, PosixRules)
{
    // clang-format off
    const JoinCase cases[] = {
        {"", "a.jpg", "a.jpg"}, {"/", "a.jpg", "/a.jpg"},
        {"C", "a.jpg", "C/a.jpg"}, // no drive letters
        {"/home/foto", "a.jpg", "/home/foto/a.jpg"}, {"/home/foto/", "a.jpg", "/home/foto/a.jpg"},
        {"/home/foto:", "a.jpg", "/home/foto:/a.jpg"},
    };
    // clang-format on
    for (const JoinCase& c : cases)
        EXPECT_EQ(JoinPath(c.dir, c.name, TPathStyle::psPosix), c.joined) << c.dir;
}

TEST(DirExists, OnlyExistingDirectories)
{
    const test::TTempDir dir;
    const std::string file = dir.Write("file.txt", "x");
    EXPECT_TRUE(DirExists(dir.Path()));
    EXPECT_FALSE(DirExists(file));
    EXPECT_FALSE(DirExists(dir.File("missing")));
    EXPECT_FALSE(DirExists(""));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(dir.Path()));
}
