#pragma once

#include "platform/FormatSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelmaro {

// Date-time values count days since 1899-12-30 00:00:00; the fraction is the
// time of day. Moments are whole seconds since the same epoch.
inline constexpr double kSecondsPerDay = 86400.0;

// seconds / 86400.
double SecondsToDays(std::uint32_t seconds);

// days * 86400 rounded to the nearest whole second, a tie going to the even
// neighbour. Callers keep the low 32 bits. NaN gives 0; values beyond the
// 64-bit range are clamped to it.
std::int64_t DaysToSeconds(double days);

struct TDateTimeParts {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int MilliSecond = 0;
};

// The date-time value of the parts. Throws ConversionError
// "''<y.m.d h:n:s,ms>'' ist kein gültiges Datum und Zeit" (with the settings'
// separators) for an impossible date or time; years run from 1 to 9999.
double EncodeDateTime(const TDateTimeParts& parts, const FormatSettings& settings);

// The parts of a date-time value, rounded to whole milliseconds. Values outside
// the years 1..9999 are clamped to that range.
TDateTimeParts DecodeDateTime(double dateTime);

bool IsLeapYear(int year);

// [+-]H:MM:SS (hours of one to six digits, minutes and seconds below 60) in
// seconds; nullopt for any other text.
std::optional<long long> HoursMinutesSecondsToSeconds(std::string_view text);
// "1:00:00", "-2:03:04" from an hour on; below it the plain seconds ("-7").
std::string HoursMinutesSecondsText(long long seconds);
int DaysInMonth(int year, int month);

} // namespace zelmaro
