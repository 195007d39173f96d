#include "about/GradientMath.h"

#include <cstdint>

namespace zelmaro {

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    std::int64_t half = divisor / 2;
    std::int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX)
        return -1;
    return static_cast<int>(result);
}

std::vector<TGradientBand> GradientBands(int width, int height, TColor beginColor, TColor endColor,
                                         TFillDirection direction, int colorCount)
{
    bool reversed =
        direction == TFillDirection::fdBottomToTop || direction == TFillDirection::fdRightToLeft;
    bool vertical =
        direction == TFillDirection::fdTopToBottom || direction == TFillDirection::fdBottomToTop;
    TColor start = reversed ? endColor : beginColor;
    TColor end = reversed ? beginColor : endColor;
    int r0 = RedOf(start), g0 = GreenOf(start), b0 = BlueOf(start);
    int dR = RedOf(end) - r0, dG = GreenOf(end) - g0, dB = BlueOf(end) - b0;

    const int n = colorCount;
    std::vector<TGradientBand> bands;
    bands.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (int i = 0; i < n; ++i) {
        TGradientBand band;
        if (vertical) {
            band.Right = width;
            band.Top = MulDiv(i, height, n);
            band.Bottom = MulDiv(i + 1, height, n);
        } else {
            band.Bottom = height;
            band.Left = MulDiv(i, width, n);
            band.Right = MulDiv(i + 1, width, n);
        }
        if (n <= 1)
            band.Color = RgbColor(r0, g0, b0);
        else
            band.Color = RgbColor(r0 + MulDiv(i, dR, n - 1), g0 + MulDiv(i, dG, n - 1),
                                  b0 + MulDiv(i, dB, n - 1));
        bands.push_back(band);
    }
    return bands;
}

std::uint8_t DefaultColorCountForDepth(int depth)
{
    if (depth > 8)
        return 255;
    int paletteSize = depth > 0 ? 1 << depth : 0;
    return paletteSize >= 255 ? 255 : 16;
}

} // namespace zelmaro
