#include "platform/win32/Win32RegistryStore.h"
#include "common/System.h"
#include "platform/Platform.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace zelmaro;

namespace {

const char* const kTestKey = "Software\\Quandrel\\ZelmaroTest";

// Wine hands a REG_SZ back with a NUL appended when it was stored without one.
std::string TrimTrailingNuls(std::string data)
{
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

class Win32RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
    Win32RegistryStore store;
};

} // namespace

TEST_F(Win32RegistryStoreTest, WritesOnlyIntoExistingKeys)
{
    EXPECT_FALSE(store.KeyExists(kTestKey));
    EXPECT_FALSE(store.SetValue(kTestKey, "Left", {kRegDword, std::string("\x01\0\0\0", 4)}));
    EXPECT_FALSE(store.KeyExists(kTestKey));
    ASSERT_TRUE(store.CreateKey(std::string(kTestKey) + "\\Sub"));
    EXPECT_TRUE(store.KeyExists(kTestKey)); // parents are created too
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\quandrel\\zelmarotest"));
}

TEST_F(Win32RegistryStoreTest, KeepsTheRawBytes)
{
    ASSERT_TRUE(store.CreateKey(kTestKey));
    const std::string minus300("\xD4\xFE\xFF\xFF", 4);
    ASSERT_TRUE(store.SetValue(kTestKey, "Correct", {kRegDword, minus300}));
    auto dword = store.QueryValue(kTestKey, "Correct");
    ASSERT_TRUE(dword.has_value());
    EXPECT_EQ(dword->Type, kRegDword);
    EXPECT_EQ(dword->Data, minus300);

    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD raw = 0;
    DWORD size = sizeof(raw);
    EXPECT_EQ(
        ::RegQueryValueExA(key, "Correct", nullptr, nullptr, reinterpret_cast<BYTE*>(&raw), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(raw, 0xFFFFFED4u);
    ::RegCloseKey(key);

    ASSERT_TRUE(store.SetValue(kTestKey, "LastPath", {kRegSz, "C:\\Fotos"}));
    auto text = store.QueryValue(kTestKey, "LastPath");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->Type, kRegSz);
    EXPECT_EQ(TrimTrailingNuls(text->Data), "C:\\Fotos");

    ASSERT_TRUE(store.SetValue(kTestKey, "Empty", {kRegSz, ""}));
    auto empty = store.QueryValue(kTestKey, "Empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(TrimTrailingNuls(empty->Data), "");
    EXPECT_FALSE(store.QueryValue(kTestKey, "Missing").has_value());
}

TEST_F(Win32RegistryStoreTest, TextsAreStoredWithoutTerminator)
{
    ASSERT_TRUE(store.CreateKey(kTestKey));
    ASSERT_TRUE(store.SetValue(kTestKey, "LastPath", {kRegSz, "C:\\Fotos"}));
    ASSERT_TRUE(store.SetValue(kTestKey, "Empty", {kRegSz, ""}));
    ASSERT_TRUE(store.SetValue(kTestKey, "OnlyNul", {kRegSz, std::string(1, '\0')}));

    // The registry keeps texts as UTF-16: eight characters, no NUL after them.
    // Wine's RegSetValueExA adds one of its own, so only Windows can show it.
    const bool wine = test::RunningUnderWine();
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    const auto wideSize = [key](const wchar_t* name) {
        DWORD type = 0;
        DWORD size = 12345;
        return ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS
                   ? size
                   : 12345;
    };
    EXPECT_EQ(wideSize(L"LastPath"), (wine ? 9 : 8) * sizeof(wchar_t));
    EXPECT_EQ(wideSize(L"Empty"), 0u);
    ::RegCloseKey(key);

    EXPECT_EQ(ReadRegistryString(store, kTestKey, "LastPath", "default"), "C:\\Fotos");
    EXPECT_EQ(ReadRegistryString(store, kTestKey, "Empty", "default"), "default");
    EXPECT_EQ(ReadRegistryString(store, kTestKey, "OnlyNul", "default"), "");
    EXPECT_EQ(ReadRegistryString(store, kTestKey, "Missing", "default"), "default");
    EXPECT_EQ(ReadRegistryString(store, "Software\\Quandrel\\NoSuchKey", "LastPath", "d"), "d");
}

TEST(Win32Platform, AnswersAboutTheRunningSystem)
{
    Platform& platform = SystemPlatform();
    std::string self = platform.ModuleFileName();
    EXPECT_NE(self.find("platform_tests.exe"), std::string::npos) << self;
    EXPECT_EQ(platform.OsVersion().PlatformId, 2u); // the NT line
    EXPECT_GT(platform.PhysicalMemoryBytes(), 0u);
    FormatSettings settings = platform.UserFormatSettings();
    EXPECT_FALSE(settings.ShortDateFormat.empty());
    EXPECT_FALSE(settings.LongTimeFormat.empty());
}
