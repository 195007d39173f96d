#include "support/DateTime.h"
#include "support/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

using namespace zelmaro;

TEST(DateTime, SecondsAndDays)
{
    EXPECT_EQ(SecondsToDays(86400), 1.0);
    EXPECT_EQ(SecondsToDays(43200), 0.5);
    EXPECT_EQ(SecondsToDays(0xFFFFFFFFu), 4294967295.0 / 86400.0);

    // clang-format off
    const struct { double days; std::int64_t seconds; } cases[] = {
        {0.5, 43200},
        {0.00390625, 338},  // 337.5: tie goes up to the even 338
        {0.01171875, 1012}, // 1012.5: tie goes down to the even 1012
        {-0.00390625, -338},
        {1.0 / 86400 * 0.4999, 0},
        {39452.0 + 21.0 / 24 + 3.0 / 1440 + 7.0 / 86400, 39452LL * 86400 + 75787},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(DaysToSeconds(c.days), c.seconds) << c.days;
    EXPECT_EQ(DaysToSeconds(std::nan("")), 0);
    EXPECT_EQ(DaysToSeconds(1e300), std::numeric_limits<std::int64_t>::max());
}

TEST(DateTime, EncodeAndDecodeRoundTrip)
{
    const FormatSettings german = FormatSettings::German();
    // clang-format off
    const struct { TDateTimeParts parts; double days; } cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0},   {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
        {{2008, 1, 5, 0, 0, 0, 0}, 39452.0}, {{2000, 2, 29, 6, 0, 0, 0}, 36585.25},
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25}, // before the epoch the fraction counts forward
        {{1, 1, 1, 0, 0, 0, 0}, -693593.0},  {{9999, 12, 31, 0, 0, 0, 0}, 2958465.0},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(EncodeDateTime(c.parts, german), c.days) << c.days;
        const TDateTimeParts back = DecodeDateTime(c.days);
        EXPECT_EQ(back.Year, c.parts.Year);
        EXPECT_EQ(back.Month, c.parts.Month);
        EXPECT_EQ(back.Day, c.parts.Day);
        EXPECT_EQ(back.Hour, c.parts.Hour);
    }
    // Every second of a day survives seconds -> days -> parts.
    for (std::uint32_t s = 39452u * 86400; s < 39453u * 86400; s += 1) {
        const TDateTimeParts p = DecodeDateTime(SecondsToDays(s));
        ASSERT_EQ(p.Hour * 3600 + p.Minute * 60 + p.Second, static_cast<int>(s % 86400)) << s;
        ASSERT_EQ(p.MilliSecond, 0);
    }
}

TEST(DateTime, ImpossibleDatesRaiseTheDateError)
{
    const FormatSettings german = FormatSettings::German();
    try {
        EncodeDateTime({2008, 13, 5, 21, 3, 7, 0}, german);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "''2008.13.5 21:3:7,0'' ist kein gültiges Datum und Zeit");
    }
    const TDateTimeParts bad[] = {
        {0, 1, 1, 0, 0, 0, 0},     {10000, 1, 1, 0, 0, 0, 0}, {2008, 0, 1, 0, 0, 0, 0},
        {2008, 2, 30, 0, 0, 0, 0}, {2007, 2, 29, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0},
        {2008, 4, 31, 0, 0, 0, 0}, {2008, 1, 0, 0, 0, 0, 0},  {2008, 1, 1, 24, 0, 0, 0},
        {2008, 1, 1, 0, 60, 0, 0}, {2008, 1, 1, 0, 0, 60, 0}, {2008, 1, 1, 0, 0, 0, 1000},
        {2008, 1, 1, -1, 0, 0, 0},
    };
    for (const TDateTimeParts& p : bad)
        EXPECT_THROW(EncodeDateTime(p, german), ConversionError) << p.Year << "-" << p.Month;
    EXPECT_NO_THROW(EncodeDateTime({2008, 2, 29, 23, 59, 59, 999}, german));
}

TEST(HoursMinutesSeconds, ReadAndShown)
{
    const std::pair<const char*, std::optional<long long>> read[] = {
        {"1:00:00", 3600}, {"-2:03:04", -7384}, {"+0:00:07", 7},   {"999999:59:59", 3599999999},
        {"1:60:00", {}},   {"1:00:60", {}},     {"1:0:00", {}},    {"1234567:00:00", {}},
        {":00:00", {}},    {"1:00:00 ", {}},    {"--1:00:00", {}}, {"7", {}},
    };
    for (const auto& [text, seconds] : read)
        EXPECT_EQ(HoursMinutesSecondsToSeconds(text), seconds) << text;
    const std::pair<long long, const char*> shown[] = {
        {3599, "3599"}, {-7, "-7"}, {3600, "1:00:00"}, {-7384, "-2:03:04"}, {86400, "24:00:00"}};
    for (const auto& [seconds, text] : shown)
        EXPECT_EQ(HoursMinutesSecondsText(seconds), text) << seconds;
}
