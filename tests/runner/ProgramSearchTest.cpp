#include "common/System.h"
#include "common/TempDir.h"
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zelmaro;
namespace fs = std::filesystem;

namespace {

// POSIX search rules; the Windows ones are in ConsoleAppTest.cpp.
class SearchDirs : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::kWindows)
            GTEST_SKIP() << "POSIX only";
        FRoot.Dir("one");
        FRoot.Dir("two");
    }

    std::string Dir(const char* name) const { return FRoot.File(name); }

    test::TTempDir FRoot;
};

} // namespace

TEST_F(SearchDirs, FirstExecutableOnThePathThenAnyFile)
{
    const std::string path = Dir("one") + ":" + Dir("two") + "/";
    FRoot.Write("one/tool", "#!/bin/sh\n");
    const std::string runnable = FRoot.Write("two/tool", "#!/bin/sh\n", true);
    FRoot.Dir("one/sub");
    FRoot.Write("two/sub", "x", true);

    EXPECT_EQ(SearchProgramOn("tool", path), runnable);
    EXPECT_EQ(SearchProgramOn("sub", path), Dir("two") + "/sub"); // directories do not count
    fs::remove(runnable);
    EXPECT_EQ(SearchProgramOn("tool", path), Dir("one") + "/tool");
    EXPECT_EQ(SearchProgramOn("missing", path), std::nullopt);
    EXPECT_EQ(SearchProgramOn("", path), std::nullopt);
}

TEST_F(SearchDirs, PathsAreTakenAsGivenAndEmptyEntriesMeanHere)
{
    const std::string tool = FRoot.Write("one/tool", "x");
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
    // clang-format off
    const struct { const char* name; std::string content; bool executable, native; } cases[] = {
        {"script", "#!/bin/sh\necho\n", true, true},
        {"script-no-x", "#!/bin/sh\necho\n", false, false},
        {"elf", std::string("\x7f" "ELF\x02\x01", 6), true, true},
        {"short-elf", "\x7f" "EL", true, false}, {"mz", "MZ\x90\x00", true, false},
        {"empty", "", true, false}, {"text", "echo hi\n", true, false},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(
            IsNativeExecutable(FRoot.Write(std::string("one/") + c.name, c.content, c.executable)),
            c.native)
            << c.name;
    EXPECT_FALSE(IsNativeExecutable(Dir("two")));
    EXPECT_FALSE(IsNativeExecutable(Dir("two") + "/missing"));
}
