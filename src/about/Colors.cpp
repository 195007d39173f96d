#include "about/Colors.h"

#include <QGuiApplication>

namespace zelmaro {

namespace {

QColor SystemColor(int index, const QPalette& palette)
{
    switch (index) {
    case 2:  // active caption
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 5: // window
        return palette.color(QPalette::Base);
    case 6:  // window frame
    case 21: // 3-D dark shadow
        return palette.color(QPalette::Shadow);
    case 7: // menu text
    case 8: // window text
        return palette.color(QPalette::WindowText);
    case 9:  // caption text
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 22: // 3-D light
        return palette.color(QPalette::Midlight);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace

QColor ToQColor(TColor color, const QPalette& palette)
{
    if (color < 0)
        return SystemColor(color & 0xFF, palette);
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QColor ToQColor(TColor color)
{
    return ToQColor(color, QGuiApplication::palette());
}

TColor ColorToRGB(TColor color)
{
    return color < 0 ? FromQColor(ToQColor(color)) : (color & 0xFFFFFF);
}

TColor FromQColor(const QColor& color)
{
    return RgbColor(color.red(), color.green(), color.blue());
}

} // namespace zelmaro
