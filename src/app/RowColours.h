#pragma once

#include <QColor>
#include <QPalette>

namespace zelmaro {

// How a table row is marked by colour; the font styles are separate.
enum class TRowLook { rlPlain, rlMissing, rlAgreed };

// The contrast a text needs against its background to be read with ease.
inline constexpr double kReadableContrast = 4.5;

// Contrast of two colours as the accessibility guidelines define it: 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// `over` laid on `under` with the given share (0..1) of `over`.
QColor Blend(const QColor& over, const QColor& under, double share);

// The colour of the same hue nearest in lightness to `wanted` that reaches
// `minimum` contrast against `background`; black or white where none does.
QColor ReadableOn(const QColor& wanted, const QColor& background,
                  double minimum = kReadableContrast);

// A selected row's background: a tint of the palette's highlight over its
// base, on which texts of every look can be made readable (the full
// highlight leaves hardly any colour readable, often not even its own text).
QColor SelectionBackground(const QPalette& palette);

// A row's text colour on its background: green for agreeing pairs, grey for
// rows without a partner, the palette's text otherwise, each readable.
QColor RowForeground(TRowLook look, const QPalette& palette, bool selected);

// The frame of a row's check box, readable against the row's background.
QColor CheckBoxFrame(const QPalette& palette, bool selected);

} // namespace zelmaro
