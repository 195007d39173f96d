#include "ZelmaroVersionInfo.h"
#include "about/InfVer.h"
#include "about/VersionBlock.h"
#include "common/TempDir.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace zelmaro {
namespace {

// This test program carries the program's VERSIONINFO resource, compiled by windres.
std::vector<char> OwnVersionBlock()
{
    const std::string self = SystemPlatform().ModuleFileName();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(self.c_str(), &handle);
    std::vector<char> data(size);
    if (size == 0 || !::GetFileVersionInfoA(self.c_str(), 0, size, data.data()))
        data.clear();
    return data;
}

std::optional<std::string> RawQuery(std::vector<char>& block, const char* path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), path, &value, &length) || value == nullptr)
        return std::nullopt;
    return std::string(static_cast<const char*>(value));
}

TEST(Win32VersionResource, TranslationIsQueriedLanguageFirst)
{
    std::vector<char> block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());

    const std::unique_ptr<TVersionBlock> loaded =
        ProgramVersionBlockSource().Load(SystemPlatform().ModuleFileName());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->FirstTranslation(), 0x04E40407u);
    EXPECT_EQ(loaded->FileFlags(), version::kFileFlags);
    EXPECT_EQ(StringFileInfoPath(0x04E40407u, "\\ProductName"),
              "\\StringFileInfo\\040704E4\\ProductName");
    EXPECT_EQ(loaded->QueryString("\\StringFileInfo\\040704E4\\ProductName"), "Zelmaro");
    EXPECT_EQ(RawQuery(block, "\\StringFileInfo\\040704E4\\ProductName"), "Zelmaro");
    // The translation's halves the other way round name no string table.
    EXPECT_FALSE(loaded->QueryString("\\StringFileInfo\\04E40407\\ProductName").has_value());
    EXPECT_FALSE(loaded->QueryString("\\StringFileInfo\\040704E4\\NoSuchKey").has_value());
}

TEST(Win32VersionResource, ReaderFillsEveryFieldFromTheResource)
{
    TInfoVersion info(ProgramVersionBlockSource(), SystemPlatform());
    info.ReadVersionInfo();
    EXPECT_EQ(info.CompanyName, version::kCompanyName);
    EXPECT_EQ(info.FileVersion, version::kFileVersion);
    EXPECT_EQ(info.ProductVersion, version::kProductVersion);
    EXPECT_EQ(info.ShortFileVersion, ShortVersion(version::kFileVersion));
    EXPECT_EQ(info.FileVersionNumber, VersionToNumber(version::kFileVersion));
    EXPECT_NE(info.FileVersionNumber, 0u);
    EXPECT_EQ(info.ProductVersionNumber, info.FileVersionNumber);
    EXPECT_EQ(info.InternalName, version::kInternalName);
    EXPECT_EQ(info.OriginalFilename, std::string(version::kOriginalFilename) + ".exe");
    EXPECT_EQ(info.ProductName, version::kProductName);
    EXPECT_EQ(info.Mail, version::kMail);
    EXPECT_EQ(info.Internet, version::kInternet);
    EXPECT_EQ(info.LegalTrademarks, "");
    EXPECT_EQ(info.Comments, "");
    EXPECT_EQ(info.PreRelease, (version::kFileFlags & 0x02) != 0);
    EXPECT_FALSE(info.Debug);
    if (::GetACP() == 1252) {
        // The resource keeps UTF-16; the A functions give the ANSI code page's bytes.
        EXPECT_EQ(info.LegalCopyright, "\xA9 2026 Quandrel");
        EXPECT_EQ(info.FileDescription.rfind("Tr\xE4gt die Belichtungszeiten", 0), 0u)
            << info.FileDescription;
    }
    EXPECT_NE(info.FileDescription.find('^'), std::string::npos);
    EXPECT_FALSE(info.Licence.empty());
}

TEST(Win32VersionResource, FileWithoutResourceLeavesTheFields)
{
    const test::TTempDir dir;
    const std::string path = dir.Write("no_resource.txt", "no version block");
    EXPECT_EQ(ProgramVersionBlockSource().Load(path), nullptr);
    TInfoVersion info(ProgramVersionBlockSource(), SystemPlatform());
    info.CompanyName = "kept";
    info.FileName = path;
    info.ReadVersionInfo();
    EXPECT_EQ(info.CompanyName, "kept");
    EXPECT_EQ(info.ProductName, "");
}

} // namespace
} // namespace zelmaro
