#include "shotlog/LogValues.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace zelmaro;

TEST(ParseExposureText, ReadsEveryWayLogsWriteIt)
{
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"30", 30},
        {"0,5", 0.5},
        {"0.5", 0.5},
        {" 1/250 ", 0.004},
        {"1/250 s", 0.004},
        {"30s", 30},
        {"30 sec", 30},
        {"30\"", 30},
        {"30''", 30},
        {"2m", 120},
        {"2 min", 120},
        {"1'30\"", 90},
        {"1m30s", 90},
        {"0:01:30", 90},
        {"1:30", 90},
        {"0\"5", 0.5},
        {"1\"3", 1.3},
        {"2,5/10", 0.25},
        {"Bulb", std::nullopt},
        {"", std::nullopt},
        {"-1", std::nullopt},
        {"1/0", std::nullopt},
        {"30x", std::nullopt},
        {"1:2:3:4", std::nullopt},
        {"1,2,3", std::nullopt},
    };
    for (const auto& [text, seconds] : cases) {
        SCOPED_TRACE(text);
        const auto parsed = ParseExposureText(text);
        ASSERT_EQ(parsed.has_value(), seconds.has_value());
        if (seconds) {
            EXPECT_DOUBLE_EQ(*parsed, *seconds);
        }
    }
}

TEST(ParseMoment, ReadsTheDatesAndTimesLogsWrite)
{
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return MomentOf(y, mo, d, h, mi, s);
    };
    const auto x = at(2023, 10, 14, 21, 3, 7);
    const std::vector<std::tuple<std::string, TDateOrder, std::optional<std::uint32_t>>> cases = {
        {"2023-10-14 21:03:07", TDateOrder::daAuto, x},
        {"2023-10-14T21:03:07.5Z", TDateOrder::daAuto, x},
        {"2023-10-14T21:03:07-05:00", TDateOrder::daAuto, x},
        {"2023:10:14 21:03:07", TDateOrder::daAuto, x},
        {"10/14/2023 9:03:07 PM", TDateOrder::daAuto, x},
        {"14.10.2023 21:03:07", TDateOrder::daAuto, x},
        {"14/10/2023 21:03:07", TDateOrder::daAuto, x},
        {"11/08/2021 19:10:17", TDateOrder::daAuto, at(2021, 11, 8, 19, 10, 17)},
        {"11/08/2021 19:10:17", TDateOrder::daDayFirst, at(2021, 8, 11, 19, 10, 17)},
        {"23/10/14 21:03:07", TDateOrder::daYearFirst, x},
        {"2023-10-14 21:03", TDateOrder::daAuto, at(2023, 10, 14, 21, 3, 0)},
        {"12/30/1899 12:00:00 AM", TDateOrder::daAuto, 0u},
        {"2023-02-29 10:00:00", TDateOrder::daAuto, std::nullopt},
        {"2023-10-14 24:00:00", TDateOrder::daAuto, std::nullopt},
        {"2036-02-07 00:00:00", TDateOrder::daAuto, std::nullopt},
        {"2023-10-14", TDateOrder::daAuto, std::nullopt},
    };
    for (const auto& [text, order, moment] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseMoment(text, order), moment);
    }
}

TEST(ParseMomentWithPattern, TakesOnlyWhatFitsThePattern)
{
    const auto x = MomentOf(2023, 10, 14, 21, 3, 7);
    EXPECT_EQ(ParseMomentWithPattern("14.10.2023 21:03:07", "DD.MM.YYYY hh:mm:ss"), x);
    EXPECT_EQ(ParseMomentWithPattern("14.10.23  21:03:07", "D.M.YY hh:mm:ss"), x);
    EXPECT_EQ(ParseMomentWithPattern("20231014_210307", "YYYYMMDD_hhmmss"), x);
    EXPECT_EQ(ParseMomentWithPattern("1697317387", "unix"), x);
    EXPECT_EQ(ParseMomentWithPattern("2023-10-14 21:03:07", "DD.MM.YYYY hh:mm:ss"), std::nullopt);
    EXPECT_EQ(ParseMomentWithPattern("14.10.2023 21:03:07 Uhr", "DD.MM.YYYY hh:mm:ss"),
              std::nullopt);
    EXPECT_TRUE(IsMomentPattern("DD.MM.YYYY hh:mm"));
    EXPECT_FALSE(IsMomentPattern("hh:mm:ss"));
}
