#include "app/RowColours.h"

#include <algorithm>
#include <cmath>

namespace zelmaro {
namespace {

// The looks' colours on a white table; on other backgrounds only their
// lightness moves.
const QColor kSilver(192, 192, 192);
const QColor kGreen(0, 128, 0);

// How much of the highlight colours a selected row.
constexpr double kSelectionShare = 0.35;

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c)
{
    return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Blend(const QColor& over, const QColor& under, double share)
{
    const auto mix = [share](double a, double b) { return a * share + b * (1.0 - share); };
    return QColor::fromRgbF(static_cast<float>(mix(over.redF(), under.redF())),
                            static_cast<float>(mix(over.greenF(), under.greenF())),
                            static_cast<float>(mix(over.blueF(), under.blueF())));
}

QColor ReadableOn(const QColor& wanted, const QColor& background, double minimum)
{
    if (ContrastRatio(wanted, background) >= minimum)
        return wanted;
    const QColor hsl = wanted.toHsl();
    const float hue = hsl.hslHueF();
    const float saturation = hsl.hslSaturationF();
    const float lightness = hsl.lightnessF();
    // Darker and lighter in small steps; the first readable one on either
    // side, the one nearer the wanted colour winning.
    constexpr int kSteps = 100;
    for (int step = 1; step <= kSteps; ++step) {
        const float delta = static_cast<float>(step) / kSteps;
        for (const float l : {lightness - delta, lightness + delta}) {
            if (l < 0.0F || l > 1.0F)
                continue;
            const QColor candidate = QColor::fromHslF(std::max(hue, 0.0F), saturation, l).toRgb();
            if (ContrastRatio(candidate, background) >= minimum)
                return candidate;
        }
    }
    return ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
               ? QColor(Qt::black)
               : QColor(Qt::white);
}

QColor SelectionBackground(const QPalette& palette)
{
    return Blend(palette.color(QPalette::Active, QPalette::Highlight),
                 palette.color(QPalette::Active, QPalette::Base), kSelectionShare);
}

QColor RowForeground(TRowLook look, const QPalette& palette, bool selected)
{
    const QColor background =
        selected ? SelectionBackground(palette) : palette.color(QPalette::Active, QPalette::Base);
    switch (look) {
    case TRowLook::rlMissing:
        return ReadableOn(kSilver, background);
    case TRowLook::rlAgreed:
        return ReadableOn(kGreen, background);
    case TRowLook::rlPlain:
        break;
    }
    return ReadableOn(palette.color(QPalette::Active, QPalette::Text), background);
}

QColor CheckBoxFrame(const QPalette& palette, bool selected)
{
    const QColor background =
        selected ? SelectionBackground(palette) : palette.color(QPalette::Active, QPalette::Base);
    // Softer than the text where the palette allows it.
    return ReadableOn(Blend(palette.color(QPalette::Active, QPalette::Text), background, 0.7),
                      background);
}

} // namespace zelmaro
