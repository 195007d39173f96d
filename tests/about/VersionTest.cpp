#include "AboutFakes.h"
#include "about/InfVer.h"
#include "common/TempDir.h"

#include <gmock/gmock.h>

#include <array>
#include <tuple>

namespace zelmaro {
namespace {

using namespace zelmaro::test;

TEST(ShortVersion, KeepsMajorAndTwoDigitMinor)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2.4.0.31", "2.04"}, {"10.12.1", "10.12"}, {"3.123.0", "3.123"},
        {"1.7", "1.7"},       {"1", "1"},           {"", ""},
        {" 2.4.0", "2.04"},   {"$A.1.0", "10.01"},  {"1.-4.0", "1.-04"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ShortVersion(text), expected) << text;
}

TEST(ShortVersion, NonNumberBeforeADotRaisesConversionError)
{
    for (const char* text : {"a.4.0", "2.b.0", "2 .4.0", "x.7", ".4.0", "1.."})
        EXPECT_THROW(ShortVersion(text), ConversionError) << text;
    EXPECT_THAT([] { ShortVersion("2.b.0"); },
                ::testing::ThrowsMessage<ConversionError>(
                    ::testing::StrEq("'b' ist kein gültiger Integerwert")));
}

TEST(VersionToNumber, PacksOneBytePerPart)
{
    // clang-format off
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"2.4.0.31", 0x0204001F},  {"2, 4, 0, 31", 0x0204001F},  {"2.1", 0x02010000},
        {"1.x.3", 0x01000300},     {"", 0},                      {"1.2.3.300", 0x0102042C},
        {"1.2.3.4.5", 0x01020304}, {"0x10.$f.X1.0", 0x100F0100}, {"2 .4", 0x00040000},
        {"-1", 0xFF000000},        {"1.2.", 0x01020000},         {"..7", 0x00000700},
        {"99999999999.1", 0x00010000},
    };
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(VersionToNumber(text), expected) << text;
}

TEST(StringFileInfoPath, PutsLanguageBeforeCodePage)
{
    EXPECT_EQ(StringFileInfoPath(kGerman1252, "\\CompanyName"),
              "\\StringFileInfo\\040704E4\\CompanyName");
    EXPECT_EQ(StringFileInfoPath(0x04B00409, "\\Mail"), "\\StringFileInfo\\040904B0\\Mail");
}

class InfoVersionTest : public ::testing::Test {
protected:
    FakePlatform platform;
    FakeSource source;

    InfoVersionTest() { platform.Module = "/opt/zelmaro/zelmaro"; }

    TInfoVersion Sentinel()
    {
        TInfoVersion info(source, platform);
        info.CompanyName = "alt";
        info.FileVersion = "9.9";
        info.Mail = "alt@x";
        info.FileVersionNumber = 42;
        info.Debug = true;
        info.PreRelease = true;
        return info;
    }
};

TEST_F(InfoVersionTest, ReadsEveryFieldOfTheProgramsOwnBlock)
{
    source.Block = FullBlock();
    TInfoVersion info(source, platform);
    info.ReadVersionInfo();

    ASSERT_EQ(source.Requests, std::vector<std::string>{"/opt/zelmaro/zelmaro"});
    for (const TVersionField& field : kVersionFields)
        EXPECT_EQ(info.*field.Field, field.Value) << field.Key;
    EXPECT_EQ(info.ShortFileVersion, "1.02");
    EXPECT_EQ(info.FileVersionNumber, 0x01020007u);
    EXPECT_EQ(info.ShortProductVersion, "3.10");
    EXPECT_EQ(info.ProductVersionNumber, 0x030A0200u);
    EXPECT_EQ(BuildFlags(info), (std::array<bool, 4>{false, true, false, false}));
}

TEST_F(InfoVersionTest, FlagBitsMapToTheirFieldsWithoutMask)
{
    const std::pair<std::uint32_t, std::array<bool, 4>> cases[] = {
        {0x01, {true, false, false, false}},  {0x02, {false, true, false, false}},
        {0x08, {false, false, true, false}},  {0x20, {false, false, false, true}},
        {0x14, {false, false, false, false}}, {0xFFFFFFFF, {true, true, true, true}},
    };
    for (const auto& [flags, expected] : cases) {
        source.Block.emplace().Flags = flags;
        TInfoVersion info(source, platform);
        info.ReadVersionInfo();
        EXPECT_EQ(BuildFlags(info), expected) << std::hex << flags;
    }
}

TEST_F(InfoVersionTest, QueriesUnderTheFirstTranslation)
{
    source.Block = FullBlock(0x04B00409);
    TInfoVersion info(source, platform);
    info.ReadVersionInfo();
    EXPECT_EQ(info.CompanyName, "Quandrel");

    // Strings under another translation are not found and read as empty.
    source.Block->Translation = kGerman1252;
    info.ReadVersionInfo();
    EXPECT_EQ(std::tie(info.CompanyName, info.FileVersion, info.ShortFileVersion),
              std::make_tuple("", "", ""));
    EXPECT_EQ(info.FileVersionNumber, 0u);
}

TEST_F(InfoVersionTest, EarlyEndsKeepWhatTheFieldsHeld)
{
    // No version block at all.
    TInfoVersion info = Sentinel();
    info.ReadVersionInfo();
    EXPECT_EQ(info.CompanyName, "alt");
    EXPECT_TRUE(info.Debug);

    // A block without translation: the flags are read, the strings are not.
    source.Block.emplace().Flags = 0;
    info.ReadVersionInfo();
    EXPECT_FALSE(info.Debug);
    EXPECT_FALSE(info.PreRelease);
    EXPECT_EQ(info.CompanyName, "alt");
    EXPECT_EQ(info.FileVersionNumber, 42u);

    // Without fixed information the flags stay, the strings are read.
    TInfoVersion second = Sentinel();
    source.Block = FullBlock();
    source.Block->Flags.reset();
    second.ReadVersionInfo();
    EXPECT_TRUE(second.Debug);
    EXPECT_EQ(second.CompanyName, "Quandrel");
}

TEST_F(InfoVersionTest, FileNameThatDoesNotExistReadsNothing)
{
    source.Block = FullBlock();
    TInfoVersion info = Sentinel();
    info.FileName = "/nonexistent/zelmaro/file.exe";
    info.ReadVersionInfo();
    EXPECT_TRUE(source.Requests.empty());
    EXPECT_EQ(info.CompanyName, "alt");
    EXPECT_EQ(info.FileVersion, "9.9");
}

TEST_F(InfoVersionTest, ExistingFileNameIsReadInsteadOfTheProgram)
{
    const test::TTempDir dir;
    const std::string path = dir.Write("infver.bin", "x");
    source.Block = FullBlock();
    TInfoVersion info(source, platform);
    info.FileName = path;
    info.ReadVersionInfo();
    EXPECT_EQ(source.Requests, std::vector<std::string>{path});
    EXPECT_EQ(info.CompanyName, "Quandrel");
}

TEST_F(InfoVersionTest, UnknownProgramPathReadsNothing)
{
    platform.Module.clear();
    source.Block = FullBlock();
    TInfoVersion info = Sentinel();
    info.ReadVersionInfo();
    EXPECT_TRUE(source.Requests.empty());
    EXPECT_EQ(info.CompanyName, "alt");
}

TEST_F(InfoVersionTest, MalformedFileVersionStopsTheReadWithConversionError)
{
    source.Block = FullBlock();
    source.Put("\\FileVersion", "1.zwei.0");
    TInfoVersion info = Sentinel();
    EXPECT_THROW(info.ReadVersionInfo(), ConversionError);
    // Read before the failing key, untouched after it.
    EXPECT_EQ(info.CompanyName, "Quandrel");
    EXPECT_EQ(info.FileVersion, "1.zwei.0");
    EXPECT_EQ(info.FileVersionNumber, 42u);
    EXPECT_EQ(info.Mail, "alt@x");
}

TEST(ProgramVersionBlock, AnswersForTheRunningProgramOnly)
{
    TInfoVersion info(ProgramVersionBlockSource(), SystemPlatform());
    info.ReadVersionInfo();
    EXPECT_EQ(info.ProductName, "Zelmaro");
    EXPECT_EQ(info.CompanyName, "Quandrel");
    EXPECT_FALSE(info.Mail.empty());
    EXPECT_FALSE(info.Internet.empty());
    EXPECT_FALSE(info.Licence.empty());
    EXPECT_NE(info.FileDescription.find('^'), std::string::npos);
    EXPECT_EQ(info.ShortFileVersion, ShortVersion(info.FileVersion));
    EXPECT_EQ(info.FileVersionNumber, VersionToNumber(info.FileVersion));
    EXPECT_NE(info.FileVersionNumber, 0u);
    EXPECT_EQ(info.ProductVersion, info.FileVersion);

    const test::TTempDir dir;
    TInfoVersion other(ProgramVersionBlockSource(), SystemPlatform());
    other.FileName = dir.Write("other.bin", "x");
    other.ReadVersionInfo();
    EXPECT_EQ(other.ProductName, "");
}

} // namespace
} // namespace zelmaro
