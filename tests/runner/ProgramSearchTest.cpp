#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace zelmaro;
namespace fs = std::filesystem;

namespace {

class SearchDirs : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zelmaro-path-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "one");
        fs::create_directories(root_ / "two");
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Dir(const char* name) const { return (root_ / name).string(); }

    std::string File(const std::string& path, const std::string& content, bool executable) const
    {
        std::ofstream(path, std::ios::binary) << content;
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }

    fs::path root_;
};

} // namespace

TEST_F(SearchDirs, FirstExecutableOnThePathThenAnyFile)
{
    const std::string path = Dir("one") + ":" + Dir("two") + "/";
    File(Dir("one") + "/tool", "#!/bin/sh\n", false);
    const std::string runnable = File(Dir("two") + "/tool", "#!/bin/sh\n", true);
    fs::create_directories(Dir("one") + "/sub");
    File(Dir("two") + "/sub", "x", true);

    EXPECT_EQ(SearchProgramOn("tool", path), runnable);
    EXPECT_EQ(SearchProgramOn("sub", path), Dir("two") + "/sub"); // directories do not count
    fs::remove(runnable);
    EXPECT_EQ(SearchProgramOn("tool", path), Dir("one") + "/tool");
    EXPECT_EQ(SearchProgramOn("missing", path), std::nullopt);
    EXPECT_EQ(SearchProgramOn("", path), std::nullopt);
}

TEST_F(SearchDirs, PathsAreTakenAsGivenAndEmptyEntriesMeanHere)
{
    const std::string tool = File(Dir("one") + "/tool", "x", false);
    EXPECT_EQ(SearchProgramOn(tool, "/nowhere"), tool);
    EXPECT_EQ(SearchProgramOn(Dir("two") + "/tool", Dir("one")), std::nullopt);
    EXPECT_EQ(SearchProgramOn(Dir("one"), "/"), std::nullopt);

    const fs::path before = fs::current_path();
    fs::current_path(Dir("one"));
    EXPECT_EQ(SearchProgramOn("tool", "/nowhere::/nowhere2"), "./tool");
    EXPECT_EQ(SearchProgramOn("./tool", ""), "./tool");
    fs::current_path(before);
}

TEST_F(SearchDirs, NativeExecutables)
{
    struct Case {
        const char* name;
        std::string content;
        bool executable;
        bool native;
    } cases[] = {
        {"script", "#!/bin/sh\necho\n", true, true},
        {"script-no-x", "#!/bin/sh\necho\n", false, false},
        {"elf",
         std::string("\x7f"
                     "ELF\x02\x01",
                     6),
         true, true},
        {"short-elf",
         "\x7f"
         "EL",
         true, false},
        {"mz", "MZ\x90\x00", true, false},
        {"empty", "", true, false},
        {"text", "echo hi\n", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNativeExecutable(File(Dir("one") + "/" + c.name, c.content, c.executable)),
                  c.native)
            << c.name;
    EXPECT_FALSE(IsNativeExecutable(Dir("two")));
    EXPECT_FALSE(IsNativeExecutable(Dir("two") + "/missing"));
}
