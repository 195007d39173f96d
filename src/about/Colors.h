#pragma once

#include "about/GradientMath.h"

#include <QColor>
#include <QPalette>

namespace zelmaro {

// System colours: 0x80000000 | the Windows system colour index.
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
inline constexpr TColor clBtnShadow = static_cast<TColor>(0x80000010);
inline constexpr TColor clGrayText = static_cast<TColor>(0x80000011);
inline constexpr TColor clBtnHighlight = static_cast<TColor>(0x80000014);

// An RGB colour for a TColor; system colours come from the palette.
QColor ToQColor(TColor color, const QPalette& palette);
QColor ToQColor(TColor color);

// The RGB value of a TColor (system colours resolved).
TColor ColorToRGB(TColor color);

// A Qt colour as a TColor RGB value.
TColor FromQColor(const QColor& color);

} // namespace zelmaro
