#pragma once

#include <cstdint>
#include <vector>

namespace zelmaro {

// Colours in the platform's format 0x00BBGGRR (red in the low byte); negative
// values name system colours.
using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWhite = 0xFFFFFF;

constexpr int RedOf(TColor c)
{
    return c & 0xFF;
}
constexpr int GreenOf(TColor c)
{
    return (c >> 8) & 0xFF;
}
constexpr int BlueOf(TColor c)
{
    return (c >> 16) & 0xFF;
}
constexpr TColor RgbColor(int r, int g, int b)
{
    return r + g * 256 + b * 65536;
}

enum class TFillDirection : std::uint8_t {
    fdTopToBottom,
    fdBottomToTop,
    fdLeftToRight,
    fdRightToLeft
};

using TNumberOfColors = std::uint8_t;

// a * b / c without intermediate overflow, rounded to nearest with halves
// away from zero; -1 when c is 0 or the result does not fit 32 bits.
int MulDiv(int a, int b, int c);

// One solid band; right and bottom are exclusive.
struct TGradientBand {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    TColor Color = 0;

    friend bool operator==(const TGradientBand&, const TGradientBand&) = default;
};

// The bands of a width x height gradient in drawing order. Colours must be RGB
// values (system colours resolved). The first band is always at the top or
// left; the direction decides whether it carries the begin or the end colour.
std::vector<TGradientBand> GradientBands(int width, int height, TColor beginColor, TColor endColor,
                                         TFillDirection direction, int colorCount);

// Band count when none is set: 16 on a display limited to a palette of fewer
// than 255 colours, else 255. Depth is the screen's bits per pixel.
std::uint8_t DefaultColorCountForDepth(int depth);

} // namespace zelmaro
