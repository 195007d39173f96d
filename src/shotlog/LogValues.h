#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelmaro {

// Decimal numbers as logs write them, whatever the user's locale: "0.5" and
// "0,5" alike, one separator at most, an optional sign.
std::optional<double> ParseDecimal(std::string_view text);

// An exposure time in seconds from the ways logs write it: "30", "0,5",
// "0.5", "1/250", "30s", "30 sec", "30\"", "2m", "1'30\"", "1m30s",
// "0:01:30", and Canon's "0\"5" for half a second. nullopt for anything else
// ("Bulb" among it) and for negative or infinite values.
std::optional<double> ParseExposureText(std::string_view text);

// The first number of a text such as "f/2.8", "F2,8", "50 mm", "11mm".
std::optional<double> LeadingNumber(std::string_view text);

// How the day, month and year of a date without a four-digit year first
// are ordered. daAuto takes month/day/year unless the first number cannot be
// a month or the separator is ".", which Europe writes day first.
enum class TDateOrder { daAuto, daYearFirst, daDayFirst };

// A moment as seconds since 1899-12-30 from "2023-10-14 21:03:07",
// "2023-10-14T21:03:07.5Z", "2023:10:14 21:03:07", "10/14/2023 9:03:07 PM",
// "14.10.2023 21:03", "23/10/14 21:03:07" (with daYearFirst): a date, then
// hours, minutes and optional seconds; a fraction of a second and a zone
// after the time are left out, so that the moment reads as written. nullopt
// for an impossible date or time and for moments outside 1899-12-30 ..
// 2036-02-05.
std::optional<std::uint32_t> ParseMoment(std::string_view text,
                                         TDateOrder order = TDateOrder::daAuto);

// The same with a pattern: YYYY or YY, MM or M, DD or D, hh or h, mm or m,
// ss or s for the numbers, a blank for any run of blanks, and any other
// character for itself; "unix" reads seconds since 1970-01-01. nullopt when
// the text does not fit the pattern.
std::optional<std::uint32_t> ParseMomentWithPattern(std::string_view text,
                                                    std::string_view pattern);

// Whether a pattern for ParseMomentWithPattern names a whole moment.
bool IsMomentPattern(std::string_view pattern);

// Seconds since 1899-12-30 of a date and time, nullopt outside the range of
// moments or for an impossible one.
std::optional<std::uint32_t> MomentOf(int year, int month, int day, int hour, int minute,
                                      int second);

} // namespace zelmaro
