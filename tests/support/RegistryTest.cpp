#include "support/Registry.h"
#include "platform/MemoryRegistryStore.h"

#include <gtest/gtest.h>

using namespace zelmaro;

TEST(ReadRegistryString, DefaultsAndData)
{
    const char* key = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
    MemoryRegistryStore store;
    EXPECT_EQ(ReadRegistryString(store, key, "Path", "dflt"), "dflt"); // no key
    store.CreateKey(key);
    EXPECT_EQ(ReadRegistryString(store, key, "Path", "dflt"), "dflt"); // no value

    // clang-format off
    const struct { std::string data; std::uint32_t type; const char* result; } cases[] = {
        {"", kRegSz, "dflt"},               // no data bytes at all
        {std::string("\0", 1), kRegSz, ""}, // only the terminating NUL
        {std::string("C:\\Palm\0", 8), kRegSz, "C:\\Palm"},
        {"C:\\Palm", kRegSz, "C:\\Palm"},         // no NUL stored
        {std::string("ab\0cd", 5), kRegSz, "ab"}, // up to the first NUL
        {"\x05\x00\x00\x00", kRegDword, "\x05"},  // the type is not checked
    };
    // clang-format on
    for (const auto& c : cases) {
        store.SetValue(key, "Path", {c.type, c.data});
        EXPECT_EQ(ReadRegistryString(store, key, "Path", "dflt"), c.result);
    }
}
