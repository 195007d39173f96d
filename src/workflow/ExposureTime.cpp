#include "workflow/Records.h"

#include <algorithm>
#include <cmath>

namespace zelmaro {

namespace {

constexpr double kRationalLimit = 4294967295.0;
// Half a unit in the 10th digit, with room for the rounding of the rational.
constexpr double kRelativePrecision = 1e-9;

} // namespace

bool ExposureTimesEqual(double a, double b)
{
    if (a == b)
        return true;
    if (!std::isfinite(a) || !std::isfinite(b))
        return false;
    return std::fabs(a - b) <= kRelativePrecision * std::max(std::fabs(a), std::fabs(b));
}

bool IsWritableExposureTime(double seconds)
{
    return std::isfinite(seconds) && seconds >= 1.0 / kRationalLimit && seconds <= kRationalLimit;
}

bool IsCheckable(const TMatchItem& item)
{
    return item.Image && item.Shot && item.TimeState == TMatchState::msEqual &&
           item.ExposureState == TMatchState::msDifferent &&
           IsWritableExposureTime(item.Shot->ExposureTime);
}

} // namespace zelmaro
