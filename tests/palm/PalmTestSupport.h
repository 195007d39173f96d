#pragma once

#include "common/TempDir.h"
#include "palm/PalmDesktopFile.h"
#include "palm/PalmUsersDat.h"
#include "platform/MemoryRegistryStore.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace zelmaro::test {

// Bytes written as numbers, the way the file layouts are described.
inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes)
        out.push_back(static_cast<char>(b));
    return out;
}

inline std::string Le16(std::uint16_t v)
{
    return Bytes({v & 0xFF, v >> 8});
}
inline std::string Le32(std::uint32_t v)
{
    return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}
// A Palm string with a one-byte length (0-254).
inline std::string Short(std::string_view text)
{
    return static_cast<char>(text.size()) + std::string(text);
}

// The path of a sample file of tests/data/palm ("users/complete.dat"), and its bytes.
inline std::string PalmFixturePath(std::string_view name)
{
    return std::string(ZELMARO_TEST_DATA_DIR) + "/palm/" + std::string(name);
}
inline std::string PalmFixture(std::string_view name)
{
    std::ifstream in(PalmFixturePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// users.dat: a class header, a user object with the tag after it, and the
// file of count users whose class header and objects follow.
inline std::string ClassHeader(std::string_view name)
{
    return Le16(1) + Le16(static_cast<std::uint16_t>(name.size())) + std::string(name);
}
inline std::string User(std::int32_t id, std::string_view name, std::string_view directory,
                        std::uint16_t nextTag = 0x8001, std::string_view block = "",
                        std::uint16_t flag = 0)
{
    return Le32(static_cast<std::uint32_t>(id)) + Short(name) + Short(directory) + Le16(flag) +
           Le16(static_cast<std::uint16_t>(block.size())) + Le16(0) + std::string(block) + Le16(0) +
           Le16(nextTag);
}
inline std::string UsersFile(std::int16_t count, std::string_view rest)
{
    return Le16(static_cast<std::uint16_t>(count)) + Le16(0xFFFF) + std::string(rest);
}

// A memo database header with no categories, the given field types and
// entry count, and a memo record whose numbers count up from first.
inline std::string MemoHeader(const std::vector<std::uint16_t>& fieldTypes, std::uint32_t entries)
{
    std::string out = "DCBA" + Short("MemoDB") + Short("Table") + Le32(0) + Le32(0);
    for (std::uint32_t v : {1u, 2u, 3u, 4u, 5u})
        out += Le32(v);
    out += Le16(static_cast<std::uint16_t>(fieldTypes.size()));
    for (std::uint16_t t : fieldTypes)
        out += Le16(t);
    return out + Le32(entries);
}
inline std::string MemoRecord(std::string_view text, std::uint32_t first = 0)
{
    std::string out;
    for (std::uint32_t i = 0; i < 8; ++i)
        out += Le32(first + i);
    if (text.size() < 0xFF)
        out += Short(text);
    else
        out += Bytes({0xFF}) + Le16(static_cast<std::uint16_t>(text.size())) + std::string(text);
    for (std::uint32_t i = 8; i < 12; ++i)
        out += Le32(first + i);
    return out;
}

using TempDir = TTempDir;

// What a load of a user list came to: Installed, whether it failed, and Count.
inline std::tuple<bool, bool, std::int32_t> Outcome(const TPalmUsersDat& users)
{
    return {users.Installed(), !users.LoadResult().Ok(), users.Count()};
}

// The texts of the memos in file order.
inline std::vector<std::string> MemoTexts(const TPalmDesktopMemoFile& file)
{
    std::vector<std::string> texts;
    for (const TPalmDesktopMemo& memo : file.Memos)
        texts.push_back(memo.Text);
    return texts;
}

// Palm Desktop set up in a temporary folder: the three registry values of an
// in-memory store name its folders Desktop and Palm, which exist.
struct PalmInstall {
    TempDir Dir;
    MemoryRegistryStore Registry;
    std::string Desktop = Dir.Dir("Desktop");
    std::string Path = Dir.Dir("Palm");

    PalmInstall() { SetValues("4.1", Desktop, Path); }
    // A store that holds just the three values.
    void SetValues(const std::string& pim, const std::string& desktop, const std::string& path)
    {
        Registry = MemoryRegistryStore();
        Registry.CreateKey(kPalmDesktopKey);
        Registry.SetValue(kPalmDesktopKey, "PIMVersion", {kRegSz, pim});
        Registry.SetValue(kPalmDesktopKey, "DesktopPath", {kRegSz, desktop});
        Registry.SetValue(kPalmDesktopKey, "Path", {kRegSz, path});
    }
};

// A user list read from the bytes with no Palm Desktop to look folders up in.
struct ParsedUsers {
    MemoryRegistryStore None;
    TPalmUsersDat Users{None};
    ByteStream Stream;

    explicit ParsedUsers(std::string bytes) : Stream(std::move(bytes)) { Users.Parse(Stream); }
};

} // namespace zelmaro::test
