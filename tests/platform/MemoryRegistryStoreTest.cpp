#include "platform/MemoryRegistryStore.h"

#include <gtest/gtest.h>

using namespace zelmaro;

TEST(MemoryRegistryStore, KeysAndValuesIgnoreAsciiCase)
{
    MemoryRegistryStore store;
    ASSERT_TRUE(store.CreateKey("Software\\Quandrel\\Zelmaro"));
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\quandrel\\zelmaro"));
    EXPECT_TRUE(store.KeyExists("Software\\Quandrel")); // parents come along
    ASSERT_TRUE(store.SetValue("software\\quandrel\\zelmaro", "LastPath", {kRegSz, "C:\\Bilder"}));
    auto value = store.QueryValue("Software\\Quandrel\\Zelmaro", "lastpath");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->Data, "C:\\Bilder");
    EXPECT_EQ(value->Type, kRegSz);
}

TEST(MemoryRegistryStore, WritingIntoAMissingKeyDoesNothing)
{
    MemoryRegistryStore store;
    EXPECT_FALSE(
        store.SetValue("Software\\Quandrel\\Zelmaro", "Left", {kRegDword, "\x01\x00\x00\x00"}));
    EXPECT_FALSE(store.KeyExists("Software\\Quandrel\\Zelmaro"));
    EXPECT_FALSE(store.QueryValue("Software\\Quandrel\\Zelmaro", "Left").has_value());
}

TEST(MemoryRegistryStore, DataKeepsEveryByte)
{
    MemoryRegistryStore store;
    store.CreateKey("K");
    std::string bytes("\0a\xff\x00\n", 5);
    store.SetValue("K", "V", {kRegBinary, bytes});
    EXPECT_EQ(store.QueryValue("K", "V")->Data, bytes);
    store.SetValue("K", "v", {kRegSz, ""});
    EXPECT_EQ(store.QueryValue("K", "V")->Data, ""); // same value, overwritten
}
