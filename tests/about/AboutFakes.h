#pragma once

#include "about/InfVer.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/Platform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro::testing {

constexpr std::uint32_t kGerman1252 = 0x04E40407;

// A German Windows-like system with two processors and 2 GiB; the program's
// path names an existing file, as the program's own does.
class FakePlatform final : public Platform {
public:
    std::string Module = SystemPlatform().ModuleFileName();
    std::uint32_t PlatformId = 2;

    std::string ModuleFileName() const override { return Module; }
    std::optional<std::uint32_t> FileAttributes(const std::string&) const override
    {
        return std::nullopt;
    }
    OsVersionInfo OsVersion() const override { return {PlatformId, 10, 0, {}}; }
    FormatSettings UserFormatSettings() const override { return FormatSettings::German(); }
    RegistryStore& UserRegistry() override { return registry_; }
    std::uint64_t PhysicalMemoryBytes() const override { return std::uint64_t{1} << 31; }
    TProcessorInfo Processors() const override { return {2, "Test CPU"}; }

private:
    MemoryRegistryStore registry_;
};

// Hands out copies of one block (none when it is unset) and records which
// files were asked for.
class FakeSource final : public TVersionBlockSource {
public:
    std::optional<TVersionBlockData> Block;
    mutable std::vector<std::string> Requests;

    // A string under the block's translation.
    void Put(const char* key, const char* value)
    {
        Block->Strings[StringFileInfoPath(*Block->Translation, key)] = value;
    }

    std::unique_ptr<TVersionBlock> Load(const std::string& fileName) const override
    {
        Requests.push_back(fileName);
        if (!Block)
            return nullptr;
        return std::make_unique<TVersionBlockData>(*Block);
    }
};

} // namespace zelmaro::testing
