#include "workflow/ExposureSet.h"

#include "support/DateTime.h"
#include "support/FormatText.h"
#include "support/Messages.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

namespace zelmaro {

namespace {

constexpr TSetValue kSetValues[] = {TSetValue::svAperture, TSetValue::svISO,
                                    TSetValue::svFocalLength, TSetValue::svLens,
                                    TSetValue::svShotDate};

// The tool stores f-numbers and focal lengths as rationals; what reads
// back agrees to far more digits than any lens is marked with.
bool NumbersAgree(double a, double b)
{
    return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b));
}

// A number as the tool takes it: with a decimal point.
std::string ToolNumber(double value, const FormatSettings& settings)
{
    std::string text = NumberText(value, settings);
    if (const auto pos = text.find(settings.DecimalSeparator); pos != std::string::npos)
        text[pos] = '.';
    return text;
}

// A moment as the tool writes dates: "2023:10:14 21:03:00".
std::string ToolDate(std::uint32_t moment)
{
    const TDateTimeParts parts = DecodeDateTime(SecondsToDays(moment));
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", parts.Year, parts.Month,
                  parts.Day, parts.Hour, parts.Minute, parts.Second);
    return text;
}

bool Logged(const TImageValues& values, TSetValue value)
{
    switch (value) {
    case TSetValue::svAperture:
        return values.Aperture.has_value();
    case TSetValue::svISO:
        return values.ISO.has_value();
    case TSetValue::svFocalLength:
        return values.FocalLength.has_value();
    case TSetValue::svLens:
        return !values.Lens.empty();
    case TSetValue::svShotDate:
        return values.ShotDate != 0;
    }
    return false;
}

bool Holds(const TImageValues& image, const TImageValues& logged, TSetValue value)
{
    switch (value) {
    case TSetValue::svAperture:
        return image.Aperture && NumbersAgree(*image.Aperture, *logged.Aperture);
    case TSetValue::svISO:
        return image.ISO == logged.ISO;
    case TSetValue::svFocalLength:
        return image.FocalLength && NumbersAgree(*image.FocalLength, *logged.FocalLength);
    case TSetValue::svLens:
        return image.Lens == logged.Lens;
    case TSetValue::svShotDate:
        return image.ShotDate == logged.ShotDate;
    }
    return true;
}

std::string ValueName(TSetValue value)
{
    switch (value) {
    case TSetValue::svAperture:
        return Tr("Blende");
    case TSetValue::svISO:
        return Tr("ISO");
    case TSetValue::svFocalLength:
        return Tr("Brennweite");
    case TSetValue::svLens:
        return Tr("Objektiv");
    case TSetValue::svShotDate:
        return Tr("Aufnahmezeit");
    }
    return {};
}

// The value for the user; nothing where the values do not hold it.
std::optional<std::string> ValueText(const TImageValues& values, TSetValue value,
                                     const FormatSettings& settings)
{
    if (!Logged(values, value))
        return std::nullopt;
    switch (value) {
    case TSetValue::svAperture:
        return NumberText(*values.Aperture, settings);
    case TSetValue::svISO:
        return std::to_string(*values.ISO);
    case TSetValue::svFocalLength:
        return NumberText(*values.FocalLength, settings) + " mm";
    case TSetValue::svLens:
        return "\"" + values.Lens + "\"";
    case TSetValue::svShotDate:
        return DateTimeText(SecondsToDays(values.ShotDate), settings);
    }
    return std::nullopt;
}

} // namespace

TImageValues LoggedValues(const TShotItem& shot, bool filmScan)
{
    TImageValues values;
    values.Aperture = shot.Aperture;
    values.ISO = shot.ISO;
    values.FocalLength = shot.FocalLength;
    values.Lens = shot.Lens;
    if (filmScan)
        values.ShotDate = shot.Date;
    return values;
}

bool HasValues(const TImageValues& values)
{
    return std::any_of(std::begin(kSetValues), std::end(kSetValues),
                       [&](TSetValue value) { return Logged(values, value); });
}

TImageValues Overlaid(TImageValues base, const TImageValues& over)
{
    if (over.Aperture)
        base.Aperture = over.Aperture;
    if (over.ISO)
        base.ISO = over.ISO;
    if (over.FocalLength)
        base.FocalLength = over.FocalLength;
    if (!over.Lens.empty())
        base.Lens = over.Lens;
    if (over.ShotDate != 0)
        base.ShotDate = over.ShotDate;
    return base;
}

std::vector<std::string> SetWriteArguments(const TImageValues& values,
                                           const FormatSettings& settings)
{
    std::vector<std::string> arguments;
    if (values.Aperture) {
        // The APEX form too, as with the exposure time, for readers that show it.
        const std::string number = ToolNumber(*values.Aperture, settings);
        arguments.push_back("-FNumber=" + number);
        arguments.push_back("-ApertureValue=" + number);
    }
    if (values.ISO)
        arguments.push_back("-ISO=" + std::to_string(*values.ISO));
    if (values.FocalLength)
        arguments.push_back("-FocalLength=" + ToolNumber(*values.FocalLength, settings));
    if (!values.Lens.empty())
        arguments.push_back("-LensModel=" + values.Lens);
    if (values.ShotDate != 0)
        arguments.push_back("-DateTimeOriginal=" + ToolDate(values.ShotDate));
    return arguments;
}

std::vector<std::string> WithSetArguments(std::vector<std::string> arguments,
                                          const TImageValues& values,
                                          const FormatSettings& settings)
{
    if (arguments.empty())
        return arguments;
    const std::vector<std::string> set = SetWriteArguments(values, settings);
    auto at = std::find(arguments.begin(), arguments.end() - 1, "-P");
    arguments.insert(at, set.begin(), set.end());
    return arguments;
}

std::vector<std::string> SetReadTags()
{
    return {"-FNumber#", "-ISO#", "-FocalLength#", "-LensModel", "-DateTimeOriginal"};
}

std::vector<TSetValue> DifferingValues(const TImageValues& logged, const TImageValues& image)
{
    std::vector<TSetValue> differing;
    for (TSetValue value : kSetValues) {
        if (Logged(logged, value) && !Holds(image, logged, value))
            differing.push_back(value);
    }
    return differing;
}

std::string DifferencesText(const TImageValues& logged, const TImageValues& image,
                            const FormatSettings& settings)
{
    std::string text;
    for (TSetValue value : DifferingValues(logged, image)) {
        const std::optional<std::string> held = ValueText(image, value, settings);
        const std::string part = held ? Fill(Tr("%1 %2 (Bild %3)"), ValueName(value),
                                             *ValueText(logged, value, settings), *held)
                                      : Fill(Tr("%1 %2 (Bild ohne)"), ValueName(value),
                                             *ValueText(logged, value, settings));
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

std::string ReadBackFailures(const TImageValues& logged, const TImageValues& readBack,
                             const FormatSettings& settings)
{
    std::string text;
    for (TSetValue value : DifferingValues(logged, readBack)) {
        const std::optional<std::string> held = ValueText(readBack, value, settings);
        const std::string sentence =
            held ? Fill(Tr("Die Datei enthält danach %1 %2 statt %3."), ValueName(value), *held,
                        *ValueText(logged, value, settings))
                 : Fill(Tr("Die Datei enthält danach keinen Wert für %1 statt %2."),
                        ValueName(value), *ValueText(logged, value, settings));
        text += (text.empty() ? "" : " ") + sentence;
    }
    return text;
}

// The workflow's side of the set.

bool TWorkflow::SetWriteAll(bool writeAll)
{
    if (std::exchange(FWriteAll, writeAll) != writeAll && !FImages.empty())
        MatchAll();
    return writeAll && !FImages.empty() && !FScanReadSet;
}

TImageValues TWorkflow::LoggedSet(const TShotItem& shot) const
{
    if (!FWriteAll)
        return {};
    return LoggedValues(shot, FAlignment == TRowAlignment::alName ||
                                  FAlignment == TRowAlignment::alFrame);
}

std::vector<std::string> TWorkflow::ScanTags() const
{
    return FWriteAll ? SetReadTags() : std::vector<std::string>();
}

void TWorkflow::SetImageValues(const TImageItem& image, const TImageValues& values)
{
    // Only the set's values change; the date that keys the record does
    // not, as DateTimeOriginal is no creation date.
    const auto [first, last] = FImages.equal_range(image.Date);
    for (auto it = first; it != last; ++it) {
        if (&it->second == &image) {
            it->second.Values = values;
            return;
        }
    }
}

std::string TWorkflow::SetCheckReason(const TMatchItem& item) const
{
    const bool timeEqual = item.TimeState == TMatchState::msEqual;
    std::string time;
    if (FAlignment == TRowAlignment::alName)
        time = Tr("Dateiname gleich");
    else if (FAlignment == TRowAlignment::alFrame)
        time = Tr("Bildnummer gleich");
    else if (timeEqual)
        time = Tr("Zeit gleich");
    else
        time = Fill(Tr("Zeit %1 s daneben (Toleranz %2 s)"),
                    TimeDistance(item.Image->Date, item.Shot->Date, FOffset), FTolerance);
    const std::string exposure = item.ExposureState == TMatchState::msEqual
                                     ? Tr("Verschlusszeit gleich")
                                     : Tr("Verschlusszeit abweichend");
    const std::string others =
        Fill(Tr("abweichend: %1"),
             DifferencesText(LoggedSet(*item.Shot), item.Image->Values, FSettings));
    std::string action;
    if (!IsWritableExposureTime(item.Shot->ExposureTime))
        action = Tr("Wert nicht schreibbar");
    else if (item.Checked)
        action = Tr("wird eingetragen");
    else if (timeEqual)
        action = Tr("nicht angekreuzt");
    else if (item.TimeState == TMatchState::msNear)
        action = Tr("von Hand ankreuzbar");
    else
        action = Tr("wird nicht eingetragen");
    return Fill(Tr("%1, %2, %3 – %4"), time, exposure, others, action);
}

} // namespace zelmaro
