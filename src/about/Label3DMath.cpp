#include "about/Label3DMath.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace zelmaro {

namespace {

double Rad(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}
int T(double value)
{
    return static_cast<int>(std::trunc(value));
}

} // namespace

int NormalizeEscapement(int degrees)
{
    while (degrees < 0)
        degrees += 360;
    while (degrees > 360)
        degrees -= 360;
    return degrees;
}

TRotatedPlacement PlaceRotatedText(int angle, int textWidth, int textHeight)
{
    const double a = angle, w = textWidth, h = textHeight;
    TRotatedPlacement p;
    if (a <= 90) {
        p.Dy = T(std::sin(Rad(a)) * w);
    } else if (a <= 180) {
        p.Dx = T(-std::cos(Rad(a)) * w);
        p.Dy = T(std::cos(Rad(180 - a)) * h + std::sin(Rad(a)) * w);
    } else if (a <= 270) {
        p.Dx = T(-std::cos(Rad(a)) * w + std::sin(Rad(a - 180)) * h);
        p.Dy = T(std::sin(Rad(270 - a)) * h);
    } else {
        p.Dx = T(std::sin(Rad(360 - a)) * h);
    }
    p.Width = std::abs(T(std::cos(Rad(a)) * w)) + std::abs(T(std::sin(Rad(a)) * h));
    p.Height = std::abs(T(std::sin(Rad(a)) * w)) + std::abs(T(std::cos(Rad(a)) * h));
    return p;
}

} // namespace zelmaro
