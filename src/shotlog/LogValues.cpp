#include "shotlog/LogValues.h"

#include "support/Strings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace zelmaro {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The longest decimal at the start of text (digits, one "." or ","),
// consumed from it.
std::optional<double> TakeDecimal(std::string_view& text)
{
    std::string number;
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i]))
        number += text[i++];
    if (i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && IsDigit(text[i + 1])) {
        number += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            number += text[i++];
    }
    if (number.empty())
        return std::nullopt;
    double value = 0;
    // from_chars reads the point whatever the locale says.
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    text.remove_prefix(i);
    return value;
}

bool TakeWord(std::string_view& text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(text[i]) != word[i])
            return false;
    text.remove_prefix(word.size());
    return true;
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
}

// "1:30", "0:01:30.5": minutes and seconds, or hours, minutes and seconds.
std::optional<double> ClockExposure(std::string_view text)
{
    std::vector<double> parts;
    while (true) {
        const auto part = TakeDecimal(text);
        if (!part)
            return std::nullopt;
        parts.push_back(*part);
        if (text.empty())
            break;
        if (text.front() != ':' || parts.size() == 3)
            return std::nullopt;
        text.remove_prefix(1);
    }
    double seconds = 0;
    for (double part : parts)
        seconds = seconds * 60 + part;
    return seconds;
}

} // namespace

std::optional<double> ParseDecimal(std::string_view text)
{
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto value = TakeDecimal(text);
    if (!value || !text.empty())
        return std::nullopt;
    return negative ? -*value : *value;
}

std::optional<double> LeadingNumber(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && Lower(text.front()) == 'f')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '/')
        text.remove_prefix(1);
    return TakeDecimal(text);
}

std::optional<double> ParseExposureText(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty())
        return std::nullopt;
    std::optional<double> seconds;
    if (text.find(':') != std::string_view::npos) {
        seconds = ClockExposure(text);
    } else if (const auto slash = text.find('/'); slash != std::string_view::npos) {
        std::string_view rest = text.substr(slash + 1);
        const auto numerator = ParseDecimal(text.substr(0, slash));
        const auto denominator = TakeDecimal(rest);
        SkipBlanks(rest);
        if (numerator && denominator && *denominator != 0 &&
            (rest.empty() || TakeWord(rest, "sec") || TakeWord(rest, "s")) && rest.empty())
            seconds = *numerator / *denominator;
    } else {
        // Number and unit, one after the other: "1'30\"", "1m30s", "2 min".
        double total = 0;
        bool any = false;
        while (!text.empty()) {
            const auto value = TakeDecimal(text);
            if (!value)
                return std::nullopt;
            SkipBlanks(text);
            double unit = 1;
            if (text.starts_with("\"") && text.size() > 1 && IsDigit(text[1])) {
                // Canon writes half a second 0"5.
                text.remove_prefix(1);
                std::string_view fraction = text;
                std::size_t digits = 0;
                while (digits < fraction.size() && IsDigit(fraction[digits]))
                    ++digits;
                const std::string decimal = "0." + std::string(fraction.substr(0, digits));
                text.remove_prefix(digits);
                total += *value + *ParseDecimal(decimal);
                any = true;
                continue;
            }
            if (TakeWord(text, "''"))
                unit = 1;
            else if (TakeWord(text, "min") || TakeWord(text, "m") || TakeWord(text, "'"))
                unit = 60;
            else if (TakeWord(text, "h"))
                unit = 3600;
            else if (TakeWord(text, "sec") || TakeWord(text, "s") || TakeWord(text, "\""))
                unit = 1;
            else if (!text.empty())
                return std::nullopt;
            SkipBlanks(text);
            total += *value * unit;
            any = true;
        }
        if (any)
            seconds = total;
    }
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0)
        return std::nullopt;
    return seconds;
}

std::optional<std::uint32_t> MomentOf(int year, int month, int day, int hour, int minute,
                                      int second)
{
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int daysInMonth = kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap);
    if (day < 1 || day > daysInMonth)
        return std::nullopt;
    // Days since 1970-01-01 of a civil date (proleptic Gregorian).
    const std::int64_t y = year - (month <= 2);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + doe - 719468;
    constexpr std::int64_t kDaysFrom1899To1970 = 25569;
    const std::int64_t seconds =
        (days + kDaysFrom1899To1970) * 86400 + hour * 3600 + minute * 60 + second;
    if (seconds < 0 || seconds > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(seconds);
}

namespace {

struct TNumber {
    int Value = 0;
    std::size_t Digits = 0;
};

} // namespace

std::optional<std::uint32_t> ParseMoment(std::string_view text, TDateOrder order)
{
    text = TrimBlanks(text);
    // The numbers of the date and the time; a fraction after the seconds
    // and a zone are left out.
    std::vector<TNumber> numbers;
    char dateSeparator = 0;
    bool pm = false;
    bool am = false;
    std::size_t i = 0;
    while (i < text.size() && numbers.size() < 6) {
        const char c = text[i];
        if (IsDigit(c)) {
            TNumber number;
            while (i < text.size() && IsDigit(text[i]) && number.Digits < 9) {
                number.Value = number.Value * 10 + (text[i] - '0');
                ++number.Digits;
                ++i;
            }
            numbers.push_back(number);
            continue;
        }
        if (numbers.size() == 1 && dateSeparator == 0)
            dateSeparator = c;
        // A zone after the time ("+02:00", "-05:00", "Z") or a fraction ends it.
        if (numbers.size() >= 5 && (c == '+' || c == '-' || c == 'Z' || c == '.' || c == ','))
            break;
        ++i;
    }
    if (numbers.size() < 5)
        return std::nullopt;
    for (std::string_view rest = text.substr(i); !rest.empty(); rest.remove_prefix(1)) {
        if (TakeWord(rest, "pm"))
            pm = true;
        else if (TakeWord(rest, "am"))
            am = true;
        if (rest.empty())
            break;
    }
    int year = 0, month = 0, day = 0;
    const auto fullYear = [](const TNumber& n) { return n.Digits <= 2 ? 2000 + n.Value : n.Value; };
    if (numbers[0].Digits == 4 || order == TDateOrder::daYearFirst) {
        year = fullYear(numbers[0]);
        month = numbers[1].Value;
        day = numbers[2].Value;
    } else if (order == TDateOrder::daDayFirst || dateSeparator == '.' || numbers[0].Value > 12) {
        day = numbers[0].Value;
        month = numbers[1].Value;
        year = fullYear(numbers[2]);
    } else {
        month = numbers[0].Value;
        day = numbers[1].Value;
        year = fullYear(numbers[2]);
    }
    int hour = numbers[3].Value;
    if (pm || am) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    const int second = numbers.size() > 5 ? numbers[5].Value : 0;
    return MomentOf(year, month, day, hour, numbers[4].Value, second);
}

bool IsMomentPattern(std::string_view pattern)
{
    if (pattern == "unix")
        return true;
    const auto has = [&](char c) { return pattern.find(c) != std::string_view::npos; };
    return has('Y') && has('M') && has('D') && has('h') && has('m');
}

std::optional<std::uint32_t> ParseMomentWithPattern(std::string_view text, std::string_view pattern)
{
    text = TrimBlanks(text);
    if (pattern == "unix") {
        const auto seconds = ParseDecimal(text);
        constexpr double kUnixEpoch = 25569.0 * 86400;
        if (!seconds || *seconds + kUnixEpoch < 0 ||
            *seconds + kUnixEpoch > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        return static_cast<std::uint32_t>(std::floor(*seconds + kUnixEpoch));
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::size_t t = 0;
    std::size_t p = 0;
    while (p < pattern.size()) {
        const char c = pattern[p];
        std::size_t width = 0;
        while (p + width < pattern.size() && pattern[p + width] == c)
            ++width;
        int* field = c == 'Y'   ? &year
                     : c == 'M' ? &month
                     : c == 'D' ? &day
                     : c == 'h' ? &hour
                     : c == 'm' ? &minute
                     : c == 's' ? &second
                                : nullptr;
        if (field) {
            // A single letter takes one or two digits, a run as many as it is long.
            const std::size_t most = width == 1 ? 2 : width;
            std::size_t digits = 0;
            int value = 0;
            while (t < text.size() && digits < most && IsDigit(text[t])) {
                value = value * 10 + (text[t] - '0');
                ++digits;
                ++t;
            }
            if (digits == 0 || (width > 1 && digits != width))
                return std::nullopt;
            *field = c == 'Y' && width == 2 ? 2000 + value : value;
            p += width;
        } else if (c == ' ') {
            if (t >= text.size() || text[t] != ' ')
                return std::nullopt;
            while (t < text.size() && text[t] == ' ')
                ++t;
            ++p;
        } else {
            if (t >= text.size() || text[t] != c)
                return std::nullopt;
            ++t;
            ++p;
        }
    }
    if (t != text.size())
        return std::nullopt;
    return MomentOf(year, month, day, hour, minute, second);
}

} // namespace zelmaro
