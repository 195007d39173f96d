#include "workflow/Records.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace zelmaro {

namespace {

constexpr double kRationalLimit = 4294967295.0;
// Half a unit in the 10th digit, with room for the rounding of the rational.
constexpr double kRelativePrecision = 1e-9;

bool AgreeToTheToolsDigits(double a, double b)
{
    return std::fabs(a - b) <= kRelativePrecision * std::max(std::fabs(a), std::fabs(b));
}

} // namespace

TToolRational ToolRational(double value)
{
    if (value < 0) {
        const TToolRational positive = ToolRational(-value);
        return {-positive.Numerator, positive.Denominator};
    }
    if (!(value > 0) || !std::isfinite(value))
        return {};
    // The tool's own search: continued-fraction terms until the fraction is
    // within 1e-8 of the value, the last term rounded, numerator and
    // denominator within 32 bits.
    std::vector<double> terms; // the whole parts so far, outermost first
    double rest = value;
    std::optional<TToolRational> kept;
    for (int round = 0; round < 64; ++round) {
        double numerator = std::floor(rest + 0.5);
        double denominator = 1;
        for (auto term = terms.rbegin(); term != terms.rend(); ++term)
            denominator = std::exchange(numerator, *term * numerator + denominator);
        if (numerator > kRationalLimit || denominator > kRationalLimit) {
            if (kept)
                break;
            return value < 1 ? TToolRational{1, kRationalLimit} : TToolRational{kRationalLimit, 1};
        }
        kept = TToolRational{numerator, denominator};
        if (std::fabs((numerator / denominator - value) / value) < 1e-8)
            break;
        const double whole = std::floor(rest);
        terms.push_back(whole);
        rest -= whole;
        if (rest == 0)
            break;
        rest = 1 / rest;
    }
    return *kept;
}

double StoredExposureTime(double seconds)
{
    if (!(seconds > 0) || !std::isfinite(seconds))
        return seconds;
    const TToolRational stored = ToolRational(seconds);
    return stored.Numerator / stored.Denominator;
}

bool ExposureTimesEqual(double a, double b)
{
    if (a == b)
        return true;
    if (!std::isfinite(a) || !std::isfinite(b))
        return false;
    // Either may be the value the file holds for the other.
    return AgreeToTheToolsDigits(a, b) || AgreeToTheToolsDigits(StoredExposureTime(a), b) ||
           AgreeToTheToolsDigits(a, StoredExposureTime(b));
}

bool IsWritableExposureTime(double seconds)
{
    return std::isfinite(seconds) && seconds >= 1.0 / kRationalLimit && seconds <= kRationalLimit;
}

bool IsTickable(const TMatchItem& item)
{
    return item.Image && item.Shot &&
           (item.TimeState == TMatchState::msEqual || item.TimeState == TMatchState::msNear) &&
           (item.ExposureState == TMatchState::msDifferent || item.ValuesDiffer) &&
           IsWritableExposureTime(item.Shot->ExposureTime);
}

bool IsCheckable(const TMatchItem& item)
{
    return item.TimeState == TMatchState::msEqual && IsTickable(item);
}

} // namespace zelmaro
