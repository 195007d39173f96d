#include "settings/Quandrel.h"

#include "common/TempDir.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelmaro {
namespace {

using namespace std::string_literals;

const std::string kKey = "Software\\Quandrel\\Zelmaro";

// A store whose application key holds the value, or nothing for nullopt.
MemoryRegistryStore StoreWith(std::string_view name, const std::optional<RegistryValue>& value)
{
    MemoryRegistryStore store;
    store.CreateKey(kKey);
    if (value)
        store.SetValue(kKey, name, *value);
    return store;
}

TEST(QuandrelTest, ReadAppIntegerFollowsTheStoredBytes)
{
    // clang-format off
    const struct {
        const char* label;
        std::optional<RegistryValue> stored; // nullopt: no such value
        std::int32_t defaultValue;
        std::int32_t expected;
    } cases[] = {
        {"missing value", std::nullopt, 759, 759},
        {"dword", RegistryValue{kRegDword, "\x10\x02\x00\x00"s}, 0, 528},
        {"negative as two's complement", RegistryValue{kRegDword, "\xD4\xFE\xFF\xFF"s}, 0, -300},
        {"most negative", RegistryValue{kRegDword, "\x00\x00\x00\x80"s}, 0, INT32_MIN},
        {"two bytes replace the low half", RegistryValue{kRegBinary, "\x34\x12"s},
         0x7F7F7F7F, 0x7F7F1234},
        {"one byte replaces the lowest byte", RegistryValue{kRegBinary, "\x01"s}, -1, -255},
        {"no data keeps the default", RegistryValue{kRegDword, ""}, 42, 42},
        {"five bytes are refused", RegistryValue{kRegBinary, "\x01\x00\x00\x00\x00"s}, 42, 42},
        {"type is not looked at", RegistryValue{kRegSz, "abcd"}, 0, 0x64636261},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ReadAppInteger(StoreWith("Width", c.stored), "Zelmaro", "Width", c.defaultValue),
                  c.expected)
            << c.label;
}

TEST(QuandrelTest, ReadAppStringFollowsTheStoredBytes)
{
    // clang-format off
    const struct {
        const char* label;
        std::optional<RegistryValue> stored;
        std::string expected;
    } cases[] = {
        {"missing value", std::nullopt, "first user"},
        {"stored empty text", RegistryValue{kRegSz, ""}, "first user"},
        {"plain text", RegistryValue{kRegSz, "/home/anna/Bilder"}, "/home/anna/Bilder"},
        {"cut at the first NUL", RegistryValue{kRegSz, "abc\0def"s}, "abc"},
        {"NUL first gives empty text", RegistryValue{kRegSz, "\0abc"s}, ""},
        {"type is not looked at", RegistryValue{kRegDword, "Anna"}, "Anna"},
        {"bytes stay bytes", RegistryValue{kRegSz, "M\xFCller"s}, "M\xFCller"s},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ReadAppString(StoreWith("User", c.stored), "Zelmaro", "User", "first user"),
                  c.expected)
            << c.label;
}

// Without the key reads give the default and writes do nothing.
TEST(QuandrelTest, ReadsGiveTheDefaultWithoutTheKey)
{
    MemoryRegistryStore empty;
    EXPECT_EQ(ReadAppInteger(empty, "Zelmaro", "Left", -17), -17);
    EXPECT_EQ(ReadAppString(empty, "Zelmaro", "User", "Anna"), "Anna");
}

TEST(QuandrelTest, WritesIntoAMissingKeyDoNothing)
{
    MemoryRegistryStore store;
    WriteAppInteger(store, "Zelmaro", "Left", 10);
    WriteAppString(store, "Zelmaro", "User", "Anna");
    EXPECT_FALSE(store.KeyExists(kKey));
    EXPECT_FALSE(store.QueryValue(kKey, "Left"));
    EXPECT_FALSE(store.QueryValue(kKey, "User"));
}

TEST(QuandrelTest, WritesStoreTypedValuesWithoutTerminator)
{
    MemoryRegistryStore store = StoreWith("", std::nullopt);
    WriteAppInteger(store, "Zelmaro", "Correct", -300);
    WriteAppString(store, "Zelmaro", "LastPath", "/home/anna/Bilder");
    WriteAppString(store, "Zelmaro", "User", "");
    EXPECT_EQ(store.QueryValue(kKey, "Correct"), (RegistryValue{kRegDword, "\xD4\xFE\xFF\xFF"s}));
    EXPECT_EQ(store.QueryValue(kKey, "LastPath"), (RegistryValue{kRegSz, "/home/anna/Bilder"}));
    EXPECT_EQ(store.QueryValue(kKey, "User"), (RegistryValue{kRegSz, ""}));
}

TEST(QuandrelTest, CreateAppKeyMakesParentsAndKeepsExistingValues)
{
    MemoryRegistryStore store;
    CreateAppKey(store, "Zelmaro");
    EXPECT_TRUE(store.KeyExists("Software\\Quandrel"));
    EXPECT_TRUE(store.KeyExists(kKey));
    WriteAppInteger(store, "Zelmaro", "Top", 5);
    CreateAppKey(store, "Zelmaro");
    EXPECT_EQ(ReadAppInteger(store, "Zelmaro", "Top", 0), 5);
}

// The seven values of a close, read back at the next start; run against the
// in-memory store and the user's real store (pointed at a temporary folder).
class SettingsRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite()
    {
#ifndef _WIN32
        configDir_.emplace("zelmaro-settings-");
        ::setenv("XDG_CONFIG_HOME", configDir_->Path().c_str(), 1);
#endif
    }
    static void TearDownTestSuite()
    {
        configDir_.reset();
    }

    RegistryStore& Store()
    {
        return GetParam() ? SystemPlatform().UserRegistry() : memory_;
    }

    static inline std::optional<zelmaro::test::TTempDir> configDir_;
    MemoryRegistryStore memory_;
};

TEST_P(SettingsRoundTrip, FirstRunGivesDefaultsThenCloseStoresAllValues)
{
    RegistryStore& store = Store();
    // A name of its own, so that the shared real store starts without the key.
    const std::string app = "ZelmaroRoundTrip" + std::to_string(std::random_device{}());

    EXPECT_EQ(ReadAppInteger(store, app, "Width", 759), 759);
    EXPECT_EQ(ReadAppString(store, app, "LastPath", ""), "");

    // The name, the value written and the default it is read back with.
    const std::tuple<const char*, std::int32_t, std::int32_t> integers[] = {
        {"Left", -8, 0},      {"Top", INT32_MAX, 0}, {"Width", 1024, 759},
        {"Height", 735, 735}, {"Correct", -300, 0},
    };
    CreateAppKey(store, app);
    for (const auto& [name, value, readDefault] : integers)
        WriteAppInteger(store, app, name, value);
    WriteAppString(store, app, "LastPath", "");
    WriteAppString(store, app, "User", "Anna M\xFCller");

    for (const auto& [name, value, readDefault] : integers)
        EXPECT_EQ(ReadAppInteger(store, app, name, readDefault), value) << name;
    // An empty directory is kept as a value without data and reads as the default.
    EXPECT_EQ(store.QueryValue(AppKeyPath(app), "LastPath"), (RegistryValue{kRegSz, ""}));
    EXPECT_EQ(ReadAppString(store, app, "LastPath", "unchanged"), "unchanged");
    EXPECT_EQ(ReadAppString(store, app, "User", "first"), "Anna M\xFCller");
#ifdef _WIN32
    // The user's real registry keeps nothing of the test.
    if (GetParam())
        ::RegDeleteTreeA(HKEY_CURRENT_USER, AppKeyPath(app).c_str());
#endif
}

INSTANTIATE_TEST_SUITE_P(Stores, SettingsRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "UserRegistry" : "Memory"; });

} // namespace
} // namespace zelmaro
