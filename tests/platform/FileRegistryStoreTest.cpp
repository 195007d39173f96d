#include "platform/posix/FileRegistryStore.h"
#include "common/System.h"
#include "common/TempDir.h"
#include "platform/DirectoryScan.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

using namespace zelmaro;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kKey = "Software\\Quandrel\\Zelmaro";

class FileRegistryStoreTest : public ::testing::Test {
protected:
    std::string FileText() const { return ReadWholeFile(path_).value_or(""); }
    void WriteFile(std::string_view text) const { FDir.Write("Zelmaro/registry.ini", text); }

    test::TTempDir FDir;
    std::string path_ = FDir.File("Zelmaro/registry.ini");
};

TEST_F(FileRegistryStoreTest, MissingFileIsEmptyAndTheFirstWriteCreatesIt)
{
    FileRegistryStore store(path_);
    EXPECT_FALSE(store.KeyExists(kKey));
    EXPECT_FALSE(store.SetValue(kKey, "Left", {kRegDword, std::string(4, '\0')}));
    EXPECT_FALSE(fs::exists(path_)); // a value is only written into an existing key

    ASSERT_TRUE(store.CreateKey(kKey));
    EXPECT_TRUE(fs::exists(path_));
    EXPECT_TRUE(store.KeyExists("software\\QUANDREL\\zelmaro\\"));
    EXPECT_TRUE(store.KeyExists("Software\\Quandrel")); // parents come along
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FileRegistryStoreTest, ValuesRoundTripByteForByteThroughAFreshStore)
{
    const std::string everyByte = [] {
        std::string s;
        for (int c = 0; c < 256; ++c)
            s.push_back(static_cast<char>(c));
        return s;
    }();
    // clang-format off
    const struct { std::string name; RegistryValue value; } cases[] = {
        {"Correct", {kRegDword, std::string("\xD4\xFE\xFF\xFF", 4)}}, // -300
        {"Short", {kRegDword, std::string("\x07\x00", 2)}},           // shorter than a DWORD
        {"Long", {kRegDword, std::string("\x01\x02\x03\x04\x05", 5)}},
        {"LastPath", {kRegSz, "/home/j\xC3\xB6rg/Bilder \"roh\" 100%"}},
        {"NoTerminator", {kRegSz, "abc"}},
        {"OnlyNul", {kRegSz, std::string(1, '\0')}},
        {"Empty", {kRegSz, ""}},
        {"EveryByte", {kRegSz, everyByte}},
        {"Binary", {kRegBinary, everyByte}},
        {"OddType", {0x12345678, "\n\r\t"}},
        {"EmptyDword", {kRegDword, ""}},
        {std::string("na\0me\n\"%]\xFF", 10), {kRegSz, "x"}},
        {"", {kRegSz, "default value"}},
    };
    // clang-format on
    const std::string oddKey("Software\\\xE4[\n]%\"\\Key", 18);
    {
        FileRegistryStore store(path_);
        ASSERT_TRUE(store.CreateKey(kKey));
        ASSERT_TRUE(store.CreateKey(oddKey));
        for (const auto& c : cases) {
            ASSERT_TRUE(store.SetValue(kKey, c.name, c.value)) << c.name;
            ASSERT_TRUE(store.SetValue(oddKey, c.name, c.value)) << c.name;
        }
    }
    FileRegistryStore reopened(path_);
    for (const auto& c : cases) {
        for (std::string_view key : {kKey, std::string_view(oddKey)}) {
            auto value = reopened.QueryValue(key, c.name);
            ASSERT_TRUE(value.has_value()) << c.name;
            EXPECT_EQ(*value, c.value) << c.name;
        }
    }
    // The file stays printable text apart from valid UTF-8.
    for (char c : FileText())
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F) || static_cast<unsigned char>(c) >= 0x80);
}

TEST_F(FileRegistryStoreTest, FileIsReadableAndHandEditsAreSeen)
{
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.CreateKey(kKey));
    ASSERT_TRUE(store.SetValue(kKey, "Left", {kRegDword, std::string("\x64\x00\x00\x00", 4)}));
    ASSERT_TRUE(store.SetValue(kKey, "LastPath", {kRegSz, "/home/anna/Bilder"}));
    const std::string text = FileText();
    EXPECT_NE(text.find("[Software\\Quandrel\\Zelmaro]\n"), std::string::npos);
    EXPECT_NE(text.find("\"Left\"=dword:00000064\n"), std::string::npos);
    EXPECT_NE(text.find("\"LastPath\"=sz:\"/home/anna/Bilder\"\n"), std::string::npos);

    WriteFile("[Software\\U.S. Robotics\\Pilot Desktop\\Core]\r\n"
              "  \"Path\" = sz:\"/srv/palm\"  \r\n"
              "\"PIMVersion\"=hex(1):34,2E,30\r\n");
    EXPECT_EQ(store.QueryValue("Software\\U.S. Robotics\\Pilot Desktop\\Core", "path")->Data,
              "/srv/palm");
    EXPECT_EQ(store.QueryValue("Software\\U.S. Robotics\\Pilot Desktop\\Core", "PIMVersion"),
              (RegistryValue{kRegSz, "4.0"}));
    EXPECT_TRUE(store.KeyExists("Software\\U.S. Robotics"));
    EXPECT_FALSE(store.KeyExists(kKey)); // the edit replaced everything
}

TEST_F(FileRegistryStoreTest, DamagedLinesArePassedOverAndGarbageReadsAsEmpty)
{
    FileRegistryStore store(path_);
    const std::string good = "[K]\n\"Good\"=sz:\"ok\"\n\"Cut\"=";
    // clang-format off
    const struct { std::string text; bool hasGood; } cases[] = {
        {good + "sz:\"no end", true}, {good + "dword:0000", true}, {good + "hex:01,0", true},
        {good + "hex:01,", true}, {good + "sz:\"bad %G0\"", true}, {good + "sz:\"tail %4\"", true},
        {good + "hex(zz):01", true}, {good + "dword:1234567890", true},
        {good + "sz:\"a\"b\"", true},
        {"\"Cut\"=sz:\"outside any key\"\n[K]\n\"Good\"=sz:\"ok\"\n[K", true},
        {"[K\n\"Good\"=sz:\"ok\"\n\"Cut\"=sz:\"x\"", false},
        {"\x7F" "ELF\x02\x01\x01\0\0\0[\xFF\xFE\n\n\0\0", false},
        {"", false},
    };
    // clang-format on
    for (const auto& c : cases) {
        WriteFile(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(store.KeyExists("K"), c.hasGood);
        EXPECT_EQ(store.QueryValue("K", "Good").has_value(), c.hasGood);
        EXPECT_FALSE(store.QueryValue("K", "Cut").has_value());
    }
    // Writing over a damaged file keeps what could be read.
    WriteFile(good + "sz:\"no end");
    ASSERT_TRUE(store.SetValue("K", "New", {kRegSz, "n"}));
    EXPECT_EQ(store.QueryValue("K", "Good")->Data, "ok");
    EXPECT_EQ(store.QueryValue("K", "New")->Data, "n");
}

TEST_F(FileRegistryStoreTest, FailedWriteReportsFalseAndKeepsTheOldFile)
{
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.CreateKey(kKey));
    ASSERT_TRUE(store.SetValue(kKey, "User", {kRegSz, "Anna"}));
    const std::string before = FileText();

    // A file size limit makes the write of the new contents fail half-way,
    // even for root.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.size() + 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = store.SetValue(kKey, "Big", {kRegSz, std::string(5000, 'x')});
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(FileText(), before);
    EXPECT_FALSE(store.QueryValue(kKey, "Big").has_value());
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path_).parent_path()),
                            fs::directory_iterator{}),
              1); // the temporary file is gone
}

TEST_F(FileRegistryStoreTest, WritesLeaveNoTemporaryFilesBehind)
{
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.CreateKey(kKey));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(store.SetValue(kKey, "N" + std::to_string(i), {kRegSz, "v"}));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "registry.ini");
    }
    EXPECT_EQ(files, 1);
}

TEST_F(FileRegistryStoreTest, UnusablePathsNeverWriteAndReadAsEmpty)
{
    FileRegistryStore none("");
    EXPECT_FALSE(none.CreateKey(kKey));
    EXPECT_FALSE(none.KeyExists(kKey));

    fs::create_directories(path_); // a directory where the file should be
    FileRegistryStore blocked(path_);
    EXPECT_FALSE(blocked.KeyExists(kKey));
    EXPECT_FALSE(blocked.CreateKey(kKey));
    EXPECT_TRUE(fs::is_directory(path_));

    FileRegistryStore store(FDir.File("f"));
    EXPECT_FALSE(store.CreateKey("\\\\")); // no key name at all
}

TEST_F(FileRegistryStoreTest, AFileThatCannotBeReadIsNeverWrittenOver)
{
    // The process's own memory exists but fails every read, also for root; a
    // FIFO without a writer would block an open for ever; a device is no file.
    // clang-format off
    const struct { const char* what; std::function<void(const std::string&)> make; } cases[] = {
        {"unreadable", [](const std::string& p) { fs::create_symlink("/proc/self/mem", p); }},
        {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::error_code ec;
        fs::remove(path_, ec);
        fs::create_directories(fs::path(path_).parent_path());
        c.make(path_);
        const auto type = fs::symlink_status(path_).type();
        FileRegistryStore store(path_);
        EXPECT_FALSE(store.KeyExists(kKey)) << c.what;
        EXPECT_FALSE(store.QueryValue(kKey, "Left").has_value()) << c.what;
        EXPECT_FALSE(store.CreateKey(kKey)) << c.what;
        EXPECT_FALSE(store.SetValue(kKey, "Left", {kRegDword, std::string(4, '\0')})) << c.what;
        EXPECT_EQ(fs::symlink_status(path_).type(), type) << c.what;
    }
}

TEST_F(FileRegistryStoreTest, ALinkedFileIsWrittenWhereTheLinkPoints)
{
    const std::string real = FDir.Write("dotfiles/zelmaro.ini", "[Software]\n");
    FDir.Dir("Zelmaro");
    fs::create_symlink(real, path_);
    FileRegistryStore store(path_);
    ASSERT_TRUE(store.CreateKey(kKey));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_TRUE(FileRegistryStore(real).KeyExists(kKey));
}

TEST(FileRegistryStorePath, FollowsXdgConfigHomeElseHome)
{
    const test::TScopedEnv home("HOME", "/home/anna");
    const test::TScopedEnv xdg("XDG_CONFIG_HOME", "/cfg/");
    EXPECT_EQ(FileRegistryStore::DefaultPath(), "/cfg/Zelmaro/registry.ini");
    xdg.Set("relative/cfg");
    EXPECT_EQ(FileRegistryStore::DefaultPath(), "/home/anna/.config/Zelmaro/registry.ini");
    xdg.Set(nullptr);
    EXPECT_EQ(FileRegistryStore::DefaultPath(), "/home/anna/.config/Zelmaro/registry.ini");
    home.Set(nullptr);
    EXPECT_EQ(FileRegistryStore::DefaultPath(), "");
}

TEST_F(FileRegistryStoreTest, RegistryStringRulesHoldForStoredBytes)
{
    WriteFile("[Software\\Quandrel\\Zelmaro]\n"
              "\"NoNul\"=sz:\"abc\"\n"
              "\"WithNul\"=sz:\"abc%00def\"\n"
              "\"OnlyNul\"=sz:\"%00\"\n"
              "\"Empty\"=sz:\"\"\n"
              "\"EmptyBinary\"=hex:\n"
              "\"Dword\"=dword:00636261\n");
    FileRegistryStore store(path_);
    // clang-format off
    const struct { const char *name, *result; } cases[] = {
        {"NoNul", "abc"},        {"WithNul", "abc"}, {"OnlyNul", ""},     {"Empty", "dflt"},
        {"EmptyBinary", "dflt"}, {"Dword", "abc"},   {"Missing", "dflt"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ReadRegistryString(store, kKey, c.name, "dflt"), c.result) << c.name;
    EXPECT_EQ(ReadRegistryString(store, "Software\\Other", "NoNul", "dflt"), "dflt");
}

TEST(FileRegistryStoreFixtures, SampleFiles)
{
    const std::string data = std::string(ZELMARO_TEST_DATA_DIR) + "/registry/";
    FileRegistryStore complete(data + "complete.ini");
    EXPECT_EQ(complete.QueryValue(kKey, "Correct")->Data, std::string("\xD4\xFE\xFF\xFF", 4));
    EXPECT_EQ(complete.QueryValue(kKey, "LastPath")->Data, "/home/j\xC3\xB6rg/Bilder 100%");
    EXPECT_EQ(complete.QueryValue(kKey, "Short"), (RegistryValue{kRegDword, {"\x07\x00", 2}}));
    EXPECT_EQ(complete.QueryValue(kKey, "User")->Data, std::string("Anna\0", 5));
    EXPECT_EQ(complete.QueryValue("Software\\U.S. Robotics\\Pilot Desktop\\Core", "Path")->Data,
              "/srv/palm/data");

    FileRegistryStore truncated(data + "truncated.ini");
    EXPECT_EQ(truncated.QueryValue(kKey, "Left")->Data, std::string("\x64\0\0\0", 4));
    EXPECT_FALSE(truncated.QueryValue(kKey, "User").has_value());
    EXPECT_FALSE(truncated.KeyExists("Software\\U.S. Robotics"));

    FileRegistryStore garbled(data + "garbled.ini");
    EXPECT_FALSE(garbled.KeyExists(kKey));
    EXPECT_FALSE(garbled.QueryValue(kKey, "Left").has_value());
}

} // namespace
