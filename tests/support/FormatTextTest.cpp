#include "support/FormatText.h"
#include "support/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zelmaro;

TEST(NumberText, GeneralFormatWithFifteenDigits)
{
    const FormatSettings german = FormatSettings::German();
    constexpr double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const struct { double value; const char* text; } cases[] = {
        {0.004, "0,004"}, {1.0 / 60, "0,0166666666666667"}, {0.5, "0,5"}, {30, "30"}, {0, "0"},
        {-0.0, "0"}, {-2.5, "-2,5"}, {1.0 / 3, "0,333333333333333"}, {3.2, "3,2"},
        {0.00001, "0,00001"}, {0.000001, "1E-6"}, {0.0000015, "1,5E-6"}, {-0.000001, "-1E-6"},
        {1.5e20, "1,5E20"}, {999999999999999.0, "999999999999999"}, {1e15, "1E15"},
        {9999999999999999.0, "1E16"}, // rounds up to 16 integer digits
        {123456789012345678.0, "1,23456789012346E17"}, {100, "100"},
        {1234.5, "1234,5"}, // no thousands separator
        {0.1 + 0.2, "0,3"}, {std::numeric_limits<double>::quiet_NaN(), "NAN"}, {inf, "INF"},
        {-inf, "-INF"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(NumberText(c.value, german), c.text) << c.value;
    EXPECT_EQ(NumberText(1.5e20, FormatSettings{}), "1.5E20");
    EXPECT_EQ(NumberText(0.25, FormatSettings{}), "0.25");
}

TEST(DateTimeText, GermanDatesOmitMidnight)
{
    const FormatSettings german = FormatSettings::German();
    const double day = 39452; // 2008-01-05
    EXPECT_EQ(DateTimeText(day + (21 * 3600 + 3 * 60 + 7) / 86400.0, german),
              "05.01.2008 21:03:07");
    EXPECT_EQ(DateTimeText(day, german), "05.01.2008");
    EXPECT_EQ(DateTimeText(SecondsToDays(39452u * 86400 + 1), german), "05.01.2008 00:00:01");
    EXPECT_EQ(DateTimeText(SecondsToDays(0xFFFFFFFFu), german), "05.02.2036 06:28:15");
}

TEST(DateTimeText, PictureCodes)
{
    FormatSettings us; // M/d/yyyy h:mm:ss tt
    const double evening = 39452 + (21 * 3600 + 3 * 60 + 7) / 86400.0;
    const double morning = 39452 + (9 * 3600 + 5) / 86400.0;
    EXPECT_EQ(DateTimeText(evening, us), "1/5/2008 9:03:07 PM");
    EXPECT_EQ(DateTimeText(39452 + 0.5, us), "1/5/2008 12:00:00 PM");
    EXPECT_EQ(DateTimeText(39452 + 30 / 86400.0, us), "1/5/2008 12:00:30 AM");
    // clang-format off
    const struct { const char* picture; double value; const char* text; } cases[] = {
        {"yyyy-MM-dd HH:mm:ss", morning, "2008-01-05 09:00:05"},
        {"d.M.yy H:m:s", morning, "5.1.08 9:0:5"},
        {"hh t", evening, "09 P"},
        {"'Tag' d 'um'' ' H", morning, "Tag 5 um'  9"},
        {"''dd''", morning, "'05'"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.picture, c.value, us), c.text) << c.picture;
}
