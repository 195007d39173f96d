#include "about/AboutTexts.h"
#include "about/GradientMath.h"
#include "about/InfVer.h"
#include "about/Label3DMath.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <tuple>

namespace zelmaro {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroAndReportsFailureAsMinusOne)
{
    // clang-format off
    const std::array<int, 4> cases[] = {
        {1, 105, 16, 7}, {2, 105, 16, 13}, {5, 3, 2, 8},   {-5, 3, 2, -8},  {5, -3, 2, -8},
        {5, 3, -2, -8},  {-5, -3, -2, -8}, {1, 1, 3, 0},   {2, 1, 3, 1},    {-2, 1, 3, -1},
        {7, 0, 5, 0},    {3, 5, 0, -1},    {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MAX, 2, 1, -1}, {INT_MIN, 1, 1, -1}, {100000, 100000, 100000, 100000},
    };
    // clang-format on
    for (const auto& [a, b, c, expected] : cases)
        EXPECT_EQ(MulDiv(a, b, c), expected) << a << "*" << b << "/" << c;
}

std::vector<int> Tops(const std::vector<TGradientBand>& bands)
{
    std::vector<int> tops;
    for (const auto& band : bands)
        tops.push_back(band.Top);
    tops.push_back(bands.back().Bottom);
    return tops;
}

TEST(GradientBands, SixteenBandsOver105Rows)
{
    auto bands = GradientBands(105, 105, clBlack, clWhite, TFillDirection::fdTopToBottom, 16);
    ASSERT_EQ(bands.size(), 16u);
    EXPECT_EQ(Tops(bands), (std::vector<int>{0, 7, 13, 20, 26, 33, 39, 46, 53, 59, 66, 72, 79, 85,
                                             92, 98, 105}));
    for (const auto& band : bands) {
        EXPECT_EQ(band.Left, 0);
        EXPECT_EQ(band.Right, 105);
    }
}

TEST(GradientBands, GreyStepsAndDirections)
{
    auto down = GradientBands(10, 105, clBlack, clWhite, TFillDirection::fdTopToBottom, 16);
    auto up = GradientBands(10, 105, clBlack, clWhite, TFillDirection::fdBottomToTop, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(down[i].Color, RgbColor(17 * i, 17 * i, 17 * i)) << i;
        EXPECT_EQ(up[i].Color, RgbColor(255 - 17 * i, 255 - 17 * i, 255 - 17 * i)) << i;
        EXPECT_EQ(up[i].Top, down[i].Top);
    }

    auto right = GradientBands(105, 5, clNavy, 0xCC7777, TFillDirection::fdLeftToRight, 16);
    auto left = GradientBands(105, 5, clNavy, 0xCC7777, TFillDirection::fdRightToLeft, 16);
    EXPECT_EQ(right.front().Color, clNavy);
    EXPECT_EQ(right.back().Color, 0xCC7777);
    EXPECT_EQ(left.front().Color, 0xCC7777);
    EXPECT_EQ(left.back().Color, clNavy);
    EXPECT_EQ(right[1], (TGradientBand{7, 0, 13, 5, right[1].Color}));
    // Each channel moves on its own: red 0->119, green 0->119, blue 128->204.
    EXPECT_EQ(right[8].Color,
              RgbColor(MulDiv(8, 119, 15), MulDiv(8, 119, 15), 128 + MulDiv(8, 76, 15)));
}

TEST(GradientBands, FewBandsAndMoreBandsThanPixels)
{
    auto one = GradientBands(30, 20, clRed, clBlue, TFillDirection::fdBottomToTop, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (TGradientBand{0, 0, 30, 20, clBlue}));

    auto two = GradientBands(30, 20, clRed, clBlue, TFillDirection::fdLeftToRight, 2);
    EXPECT_EQ(two[0], (TGradientBand{0, 0, 15, 20, clRed}));
    EXPECT_EQ(two[1], (TGradientBand{15, 0, 30, 20, clBlue}));

    auto many = GradientBands(10, 5, clBlack, clWhite, TFillDirection::fdTopToBottom, 255);
    ASSERT_EQ(many.size(), 255u);
    int filled = 0;
    for (int i = 0; i < 255; ++i) {
        EXPECT_EQ(RedOf(many[i].Color), MulDiv(i, 255, 254));
        if (many[i].Bottom > many[i].Top)
            ++filled;
    }
    EXPECT_EQ(filled, 5);
    EXPECT_EQ(many.back().Bottom, 5);
}

TEST(GradientBands, DefaultCountFollowsTheScreensColours)
{
    const std::pair<int, int> cases[] = {{1, 16},   {4, 16},   {7, 16},   {8, 255},
                                         {16, 255}, {24, 255}, {32, 255}, {0, 16}};
    for (const auto& [depth, expected] : cases)
        EXPECT_EQ(DefaultColorCountForDepth(depth), expected) << depth;
}

TEST(Escapement, KeptBetweenZeroAnd360)
{
    const std::pair<int, int> cases[] = {{-30, 330}, {725, 5},  {360, 360}, {0, 0},
                                         {-360, 0},  {-720, 0}, {361, 1},   {90, 90}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormalizeEscapement(in), out) << in;
}

TEST(PlaceRotatedText, OffsetsAndExtentPerQuadrant)
{
    const std::tuple<int, int, int, TRotatedPlacement> cases[] = {
        {0, 50, 13, {0, 0, 50, 13}},      {90, 50, 13, {0, 50, 13, 50}},
        {180, 50, 13, {50, 13, 50, 13}},  {270, 50, 13, {13, 0, 13, 50}},
        {360, 50, 13, {0, 0, 50, 13}},    {45, 100, 20, {0, 70, 84, 84}},
        {135, 100, 20, {70, 84, 84, 84}}, {225, 100, 20, {84, 14, 84, 84}},
        {315, 100, 20, {14, 0, 84, 84}},
    };
    for (const auto& [angle, w, h, expected] : cases)
        EXPECT_EQ(PlaceRotatedText(angle, w, h), expected) << angle;
}

TEST(AboutTexts, VersionLineMarksPreReleaseBuilds)
{
    TInfoVersion info(ProgramVersionBlockSource(), SystemPlatform());
    info.ShortFileVersion = "1.02";
    info.FileVersion = "1.2.0.7";
    EXPECT_EQ(VersionLine("Version ", info), "Version 1.02   (Build 1.2.0.7)");
    info.PreRelease = true;
    EXPECT_EQ(VersionLine("Version ", info), "Version 1.02   (Beta-Build 1.2.0.7)");
    TInfoVersion empty(ProgramVersionBlockSource(), SystemPlatform());
    EXPECT_EQ(VersionLine("Version ", empty), "Version    (Build )");
}

TEST(AboutTexts, CaretsBecomeLineBreaks)
{
    EXPECT_EQ(WithLineBreaks("Erste^Zweite"), "Erste\nZweite");
    EXPECT_EQ(WithLineBreaks("^a^^"), "\na\n\n");
    EXPECT_EQ(WithLineBreaks("ohne"), "ohne");
}

TEST(AboutTexts, MemoryInKilobytesWithThousandsSeparator)
{
    // clang-format off
    const std::tuple<std::uint64_t, char, const char*> cases[] = {
        {0, '.', "0"},             {999, '.', "999"},             {1000, '.', "1.000"},
        {123456, ',', "123,456"},  {2097152, '.', "2.097.152"},   {1234567, '\0', "1234567"},
    };
    // clang-format on
    for (const auto& [value, sep, expected] : cases)
        EXPECT_EQ(FormatThousands(value, sep), expected) << value;
    EXPECT_EQ(MemoryText(std::uint64_t{1} << 31, '.'), "2.097.152 KB");
    EXPECT_EQ(MemoryText(2047, '.'), "1 KB");
}

TEST(AboutTexts, ProcessorNamesByType)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {386, "Intel 386"},     {486, "Intel 486"},   {586, "Intel Pentium"},
        {2000, "Mips R2000"},   {3000, "Mips R3000"}, {4000, "Mips R4000"},
        {21064, "Alpha 21064"}, {9999, "9999"},       {8664, "8664"},
    };
    for (const auto& [type, name] : cases)
        EXPECT_EQ(ProcessorTypeName(type), name);
    EXPECT_EQ(ProcessorTypeLine(2, 586), "2x Intel Pentium oder kompatibel");
    EXPECT_EQ(FreeResourcesText(0), "0% frei");
}

} // namespace
} // namespace zelmaro
