#pragma once

#include "about/InfVer.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/Platform.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro::test {

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

// The strings of a full version block and the fields they are read into.
struct TVersionField {
    const char* Key;
    std::string TInfoVersion::*Field;
    const char* Value;
};
inline const TVersionField kVersionFields[] = {
    {"\\CompanyName", &TInfoVersion::CompanyName, "Quandrel"},
    {"\\FileDescription", &TInfoVersion::FileDescription, "Erste^Zweite"},
    {"\\FileVersion", &TInfoVersion::FileVersion, "1.2.0.7"},
    {"\\InternalName", &TInfoVersion::InternalName, "Intern"},
    {"\\LegalCopyright", &TInfoVersion::LegalCopyright, "(c) 2026"},
    {"\\LegalTrademarks", &TInfoVersion::LegalTrademarks, "TM"},
    {"\\OriginalFilename", &TInfoVersion::OriginalFilename, "Zelmaro.exe"},
    {"\\ProductName", &TInfoVersion::ProductName, "Zelmaro"},
    {"\\ProductVersion", &TInfoVersion::ProductVersion, "3.10.2"},
    {"\\Comments", &TInfoVersion::Comments, "Kommentar"},
    {"\\Mail", &TInfoVersion::Mail, "a@b.example"},
    {"\\Internet", &TInfoVersion::Internet, "https://b.example"},
    {"\\Licence", &TInfoVersion::Licence, "Frei"},
};

// A pre-release block with every string of kVersionFields.
inline TVersionBlockData FullBlock(std::uint32_t translation = kGerman1252)
{
    TVersionBlockData block;
    block.Flags = 0x02;
    block.Translation = translation;
    for (const TVersionField& field : kVersionFields)
        block.Strings[StringFileInfoPath(translation, field.Key)] = field.Value;
    return block;
}

// Debug, PreRelease, PrivateBuild and SpecialBuild.
inline std::array<bool, 4> BuildFlags(const TInfoVersion& info)
{
    return {info.Debug, info.PreRelease, info.PrivateBuild, info.SpecialBuild};
}

} // namespace zelmaro::test
