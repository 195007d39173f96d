#pragma once

namespace zelmaro {

// Escapement kept in 0..360: -30 -> 330, 725 -> 5, 360 stays 360.
int NormalizeEscapement(int degrees);

// Where rotated text starts inside its rectangle, and the extent it covers.
struct TRotatedPlacement {
    int Dx = 0;    // added to the rectangle's left
    int Dy = 0;    // added to the rectangle's top
    int Width = 0; // extent of the rotated text
    int Height = 0;

    friend bool operator==(const TRotatedPlacement&, const TRotatedPlacement&) = default;
};

// Placement of a textWidth x textHeight caption turned counter-clockwise by
// angle degrees (0..360) about its top-left corner, so that it lies inside
// the rectangle.
TRotatedPlacement PlaceRotatedText(int angle, int textWidth, int textHeight);

} // namespace zelmaro
