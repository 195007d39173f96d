#include "support/DateTime.h"

#include "support/Conversions.h"
#include "support/Messages.h"

#include <cmath>
#include <limits>
#include <string>

namespace zelmaro {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;
// Day number of 1970-01-01 counted from 1899-12-30.
constexpr std::int64_t kUnixEpochDay = 25569;
// Day numbers of 0001-01-01 and 9999-12-31.
constexpr std::int64_t kFirstDay = -693593;
constexpr std::int64_t kLastDay = 2958465;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

} // namespace

double SecondsToDays(std::uint32_t seconds)
{
    return static_cast<double>(seconds) / kSecondsPerDay;
}

std::int64_t DaysToSeconds(double days)
{
    const double seconds = std::nearbyint(days * kSecondsPerDay); // ties to even
    if (std::isnan(seconds))
        return 0;
    constexpr double kLimit = 9223372036854775807.0; // rounds up to 2^63
    if (seconds >= kLimit)
        return std::numeric_limits<std::int64_t>::max();
    if (seconds < -kLimit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(seconds);
}

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

double EncodeDateTime(const TDateTimeParts& p, const FormatSettings& settings)
{
    const bool valid = p.Year >= 1 && p.Year <= 9999 && p.Month >= 1 && p.Month <= 12 &&
                       p.Day >= 1 && p.Day <= DaysInMonth(p.Year, p.Month) && p.Hour >= 0 &&
                       p.Hour <= 23 && p.Minute >= 0 && p.Minute <= 59 && p.Second >= 0 &&
                       p.Second <= 59 && p.MilliSecond >= 0 && p.MilliSecond <= 999;
    if (!valid) {
        const std::string shown =
            std::to_string(p.Year) + settings.DateSeparator + std::to_string(p.Month) +
            settings.DateSeparator + std::to_string(p.Day) + ' ' + std::to_string(p.Hour) +
            settings.TimeSeparator + std::to_string(p.Minute) + settings.TimeSeparator +
            std::to_string(p.Second) + settings.DecimalSeparator + std::to_string(p.MilliSecond);
        throw ConversionError(Fill(Tr("''%1'' ist kein gültiges Datum und Zeit"), shown));
    }
    const double date = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day) + kUnixEpochDay);
    const double time =
        static_cast<double>(((p.Hour * 60 + p.Minute) * 60 + p.Second) * 1000 + p.MilliSecond) /
        static_cast<double>(kMillisecondsPerDay);
    // Before the epoch the fraction still counts forward from midnight.
    return date < 0 ? date - time : date + time;
}

TDateTimeParts DecodeDateTime(double dateTime)
{
    if (std::isnan(dateTime))
        dateTime = 0;
    double whole = std::trunc(dateTime);
    std::int64_t day;
    std::int64_t ms;
    if (whole < static_cast<double>(kFirstDay)) {
        day = kFirstDay;
        ms = 0;
    } else if (whole > static_cast<double>(kLastDay)) {
        day = kLastDay;
        ms = kMillisecondsPerDay - 1;
    } else {
        day = static_cast<std::int64_t>(whole);
        ms = std::llround(std::fabs(dateTime - whole) * static_cast<double>(kMillisecondsPerDay));
        if (ms >= kMillisecondsPerDay) { // rounded up to the next midnight
            if (day < kLastDay) {
                ms = 0;
                ++day;
            } else {
                ms = kMillisecondsPerDay - 1;
            }
        }
    }
    TDateTimeParts p;
    CivilFromDays(day - kUnixEpochDay, p.Year, p.Month, p.Day);
    p.MilliSecond = static_cast<int>(ms % 1000);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Hour = static_cast<int>(ms / 3600000);
    return p;
}

std::optional<long long> HoursMinutesSecondsToSeconds(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    const auto first = text.find(':');
    if (first == std::string_view::npos || first == 0 || first > 6 || text.size() != first + 6 ||
        text[first + 3] != ':')
        return std::nullopt;
    long long parts[3] = {0, 0, 0};
    int part = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == first || i == first + 3) {
            ++part;
            continue;
        }
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        parts[part] = parts[part] * 10 + (text[i] - '0');
    }
    if (parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    const long long seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return negative ? -seconds : seconds;
}

std::string HoursMinutesSecondsText(long long seconds)
{
    const unsigned long long size =
        seconds < 0 ? 0ULL - static_cast<unsigned long long>(seconds) : seconds;
    if (size < 3600)
        return std::to_string(seconds);
    const auto twoDigits = [](unsigned long long n) {
        return std::string(n < 10 ? "0" : "") + std::to_string(n);
    };
    return (seconds < 0 ? "-" : "") + std::to_string(size / 3600) + ":" +
           twoDigits(size / 60 % 60) + ":" + twoDigits(size % 60);
}

} // namespace zelmaro
