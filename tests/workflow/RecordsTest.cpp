#include "common/WorkflowRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <algorithm>
#include <random>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::test;

TEST(Records, OrderedInsertionKeepsArrivalOrderOfEqualDates)
{
    struct Case {
        std::vector<std::uint32_t> dates; // added in this order, named a, b, c ...
        std::vector<std::string> order;
    } cases[] = {
        {{10, 20, 30}, {"a", "b", "c"}},
        {{30, 20, 10}, {"c", "b", "a"}},
        {{20, 10, 20, 10, 20}, {"b", "d", "a", "c", "e"}},
        {{20, 30, 25}, {"a", "c", "b"}},
        {{5, 5, 5}, {"a", "b", "c"}},
        {{30, 20, 20, 10, 10}, {"d", "e", "b", "c", "a"}}, // newest first
        {{10, 30, 10, 30, 20}, {"a", "c", "e", "b", "d"}},
        {{0xFFFFFFFFu, 0, 0x80000000u}, {"b", "c", "a"}}, // unsigned order
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        std::string name = "a";
        for (std::uint32_t date : c.dates) {
            rig.Flow.AddImage({name, date, 0.5});
            rig.Flow.AddShot({date, static_cast<double>(name[0])});
            ++name[0];
        }
        std::vector<std::string> imageOrder, shotOrder;
        for (const TImageItem& image : rig.Flow.Images())
            imageOrder.push_back(image.FileName);
        for (const TShotItem& shot : rig.Flow.Shots())
            shotOrder.push_back(std::string(1, static_cast<char>(shot.ExposureTime)));
        EXPECT_EQ(imageOrder, c.order);
        EXPECT_EQ(shotOrder, c.order);
    }
}

TEST(Records, ManyRecordsInAnyOrderKeepTheOrderOfAStableSort)
{
    std::mt19937 random(5);
    for (int order = 0; order < 3; ++order) {
        std::vector<std::uint32_t> dates(20000);
        for (std::size_t i = 0; i < dates.size(); ++i)
            dates[i] = order == 2 ? random() % 500 : static_cast<std::uint32_t>(i / 3);
        if (order == 1)
            std::reverse(dates.begin(), dates.end());
        WorkflowRig rig;
        std::vector<std::pair<std::uint32_t, double>> expected;
        for (std::size_t i = 0; i < dates.size(); ++i) {
            rig.Flow.AddShot({dates[i], static_cast<double>(i)});
            expected.emplace_back(dates[i], static_cast<double>(i));
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::pair<std::uint32_t, double>> got;
        for (const TShotItem& shot : rig.Flow.Shots())
            got.emplace_back(shot.Date, shot.ExposureTime);
        EXPECT_EQ(got, expected) << "order " << order;
    }
}

TEST(Records, ClearingImagesOrShotsEmptiesPairsAndTable)
{
    // What is cleared, and the images and shots left.
    const std::tuple<void (TWorkflow::*)(), std::size_t, std::size_t> cases[] = {
        {&TWorkflow::ClearImages, 0, 1},
        {&TWorkflow::ClearShots, 1, 0},
        {&TWorkflow::ClearMatches, 1, 1}};
    for (const auto& [clear, images, shots] : cases) {
        WorkflowRig rig;
        rig.Flow.AddImage({"a.jpg", 100, 0.5});
        rig.Flow.AddShot({100, 30});
        rig.Flow.MatchAll();
        ASSERT_EQ(rig.Flow.Matches().size(), 1u);
        ASSERT_TRUE(rig.Flow.HasRowsToWrite());

        (rig.Flow.*clear)();
        EXPECT_TRUE(rig.Flow.Matches().empty());
        EXPECT_FALSE(rig.Flow.HasRowsToWrite());
        EXPECT_EQ(rig.Host.ReplacementsEnded, 2); // the view heard of the empty rows
        EXPECT_EQ(rig.Flow.Images().size(), images);
        EXPECT_EQ(rig.Flow.Shots().size(), shots);
    }
}

TEST(Records, CellTexts)
{
    WorkflowRig rig;
    const TImageItem& image =
        rig.Flow.AddImage({"IMG_0001.CR2", Moment(2008, 1, 5, 21, 3, 7), 0.004});
    const TShotItem& shot = rig.Flow.AddShot({Moment(2008, 1, 5, 0, 0, 0), 1.0 / 60});
    const TShotItem& longShot = rig.Flow.AddShot({Moment(2008, 1, 5, 21, 3, 9), 30});

    using S = TMatchState;
    struct Case {
        TMatchItem item;
        std::array<const char*, 6> texts;
    } cases[] = {
        {{&image, nullptr, S::msNone, S::msNone},
         {"IMG_0001.CR2", "05.01.2008 21:03:07", "0,004", "", "", ""}},
        {{nullptr, &shot, S::msNone, S::msNone},
         {"", "", "", "", "05.01.2008", "0,0166666666666667"}},
        {{&image, &longShot, S::msEqual, S::msDifferent},
         {"IMG_0001.CR2", "05.01.2008 21:03:07", "0,004", "=", "05.01.2008 21:03:09", "30"}},
        {{&image, &longShot, S::msNear, S::msEqual},
         {"IMG_0001.CR2", "05.01.2008 21:03:07", "0,004", "~", "05.01.2008 21:03:09", "30"}},
        {{&image, &longShot, S::msDifferent, S::msEqual},
         {"IMG_0001.CR2", "05.01.2008 21:03:07", "0,004", "<>", "05.01.2008 21:03:09", "30"}},
        // The "=" column needs an image even if a state were set.
        {{nullptr, &longShot, S::msEqual, S::msEqual},
         {"", "", "", "", "05.01.2008 21:03:09", "30"}},
    };
    for (const Case& c : cases) {
        for (int column = 0; column < TWorkflow::kColumnCount; ++column)
            EXPECT_EQ(rig.Flow.CellText(c.item, column), c.texts[column]) << "column " << column;
        EXPECT_EQ(rig.Flow.CellText(c.item, 6), "");
        EXPECT_EQ(rig.Flow.CellText(c.item, -1), "");
    }
}

TEST(Records, OffsetFromPairIsTheSignedDifference)
{
    EXPECT_EQ(TWorkflow::OffsetFromPair({"a", 100, 0}, {95, 0}), 5);
    EXPECT_EQ(TWorkflow::OffsetFromPair({"a", 95, 0}, {100, 0}), -5);
    EXPECT_EQ(TWorkflow::OffsetFromPair({"a", 2, 0}, {0xFFFFFFFEu, 0}), 4);
}

// The rationals the tool wrote for these values (read from the file's bytes).
TEST(Records, StoredExposureTimeIsTheToolsRational)
{
    const std::pair<double, double> cases[] = {
        {123456.789, 2345679.0 / 19},
        {98765.4321, 3654321.0 / 37},
        {1234567.891, 11111111.0 / 9},
        {0.000123456789, 1.0 / 8100},
        {3.14159265358979, 104348.0 / 33215},
        {0.0166666666666667, 1.0 / 60},
        {1.25, 1.25},
        {4294967295, 4294967295},
        {1e-12, 0}, // below the smallest it can hold
        {0, 0},
    };
    for (const auto& [value, stored] : cases)
        EXPECT_EQ(StoredExposureTime(value), stored) << value;

    // Signed ones, as the tool wrote the APEX values of 60 s, 1/250 s and f/5.6.
    const std::tuple<double, double, double> fractions[] = {
        {-std::log2(60.0), -23917, 4049},
        {std::log2(250.0), 56573, 7102},
        {2 * std::log2(5.6), 40761, 8200},
        {0, 0, 1},
    };
    for (const auto& [value, numerator, denominator] : fractions) {
        const TToolRational rational = ToolRational(value);
        EXPECT_EQ(rational.Numerator, numerator) << value;
        EXPECT_EQ(rational.Denominator, denominator) << value;
    }
}
