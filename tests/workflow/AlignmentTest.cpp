#include "workflow/Alignment.h"
#include "common/WorkflowRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

std::int64_t Distance(std::uint32_t image, std::uint32_t shot, std::int32_t offset)
{
    return std::abs(std::int64_t{image} - (std::int64_t{shot} + offset));
}

// The least cost over the full square, written the plain way.
std::int64_t LeastCost(const std::vector<std::uint32_t>& images,
                       const std::vector<std::uint32_t>& shots, std::int32_t offset, int tolerance)
{
    const std::int64_t gap = tolerance + 6;
    std::vector<std::vector<std::int64_t>> cost(images.size() + 1,
                                                std::vector<std::int64_t>(shots.size() + 1));
    for (std::size_t i = 0; i <= images.size(); ++i) {
        for (std::size_t j = 0; j <= shots.size(); ++j) {
            if (i == 0 || j == 0) {
                cost[i][j] = gap * static_cast<std::int64_t>(i + j);
                continue;
            }
            cost[i][j] = std::min(cost[i - 1][j], cost[i][j - 1]) + gap;
            const std::int64_t d = Distance(images[i - 1], shots[j - 1], offset);
            if (d <= tolerance + 5)
                cost[i][j] = std::min(cost[i][j], cost[i - 1][j - 1] + d);
        }
    }
    return cost[images.size()][shots.size()];
}

// The cost of rows, after checking that they are an order-keeping one-to-one
// alignment of possible pairs in time order.
std::int64_t CheckedCost(const std::vector<TAlignedRow>& rows,
                         const std::vector<std::uint32_t>& images,
                         const std::vector<std::uint32_t>& shots, std::int32_t offset,
                         int tolerance)
{
    std::size_t nextImage = 0, nextShot = 0;
    std::int64_t cost = 0;
    std::int64_t lastMoment = INT64_MIN;
    for (const TAlignedRow& row : rows) {
        if (row.Image) {
            EXPECT_EQ(*row.Image, nextImage++);
        }
        if (row.Shot) {
            EXPECT_EQ(*row.Shot, nextShot++);
        }
        const std::int64_t moment =
            row.Image ? std::int64_t{images[*row.Image]} : std::int64_t{shots[*row.Shot]} + offset;
        if (row.Image && row.Shot) {
            const std::int64_t d = Distance(images[*row.Image], shots[*row.Shot], offset);
            EXPECT_LE(d, tolerance + 5);
            cost += d;
        } else {
            EXPECT_TRUE(row.Image || row.Shot);
            cost += tolerance + 6;
            EXPECT_GE(moment, lastMoment); // lone rows are in time order
        }
        lastMoment = moment;
    }
    EXPECT_EQ(nextImage, images.size());
    EXPECT_EQ(nextShot, shots.size());
    return cost;
}

} // namespace

TEST(AlignNearest, CostsNoMoreThanTheBestAlignmentOfTheFullSquare)
{
    std::mt19937 random(2008);
    for (int trial = 0; trial < 600; ++trial) {
        const int tolerance = trial % 3;
        const std::int32_t offset = static_cast<std::int32_t>(random() % 21) - 10;
        const std::uint32_t width = trial % 4 == 0 ? 20 : 120; // bursts, or a quiet night
        std::vector<std::uint32_t> images(random() % 9), shots(random() % 9);
        for (auto* dates : {&images, &shots}) {
            for (auto& d : *dates)
                d = 1000000 + random() % width;
            std::sort(dates->begin(), dates->end());
        }
        SCOPED_TRACE("trial " + std::to_string(trial));
        const auto rows = AlignNearest(images, shots, offset, tolerance);
        EXPECT_EQ(CheckedCost(rows, images, shots, offset, tolerance),
                  LeastCost(images, shots, offset, tolerance));
        // Kept in blocks of a few steps, down to one image a block, the
        // table must give the very same rows.
        for (std::size_t budget : {0u, 5u, 16u})
            EXPECT_EQ(detail::AlignNearest(images, shots, offset, tolerance, budget), rows)
                << budget;
    }
}

TEST(AlignNearest, CrowdedMomentsInBlocksGiveTheSameRows)
{
    // Every image within reach of every shot, and long quiet stretches
    // between bursts, where bands are empty and blocks begin.
    std::mt19937 random(1108);
    for (int trial = 0; trial < 40; ++trial) {
        std::vector<std::uint32_t> images(random() % 60), shots(random() % 200);
        for (auto* dates : {&images, &shots}) {
            for (auto& d : *dates)
                d = 1000000 + (random() % 3) * 1000 + random() % (trial % 2 ? 3 : 12);
            std::sort(dates->begin(), dates->end());
        }
        SCOPED_TRACE("trial " + std::to_string(trial));
        const auto rows = detail::AlignNearest(images, shots, 0, 1, std::size_t{1} << 30);
        for (std::size_t budget : {1u, 64u, 1000u})
            EXPECT_EQ(detail::AlignNearest(images, shots, 0, 1, budget), rows) << budget;
    }
}

TEST(AlignNearest, GapsShiftNothing)
{
    // Shots a minute apart, images 37 s later; each case loses or adds one.
    const std::int32_t offset = 37;
    struct Case {
        const char* name;
        int droppedShot, droppedImage; // -1: none
        bool extraImage;
    } cases[] = {
        {"dropped log entry", 3, -1, false},
        {"deleted frame", -1, 5, false},
        {"extra image", -1, -1, true},
        {"both", 2, 6, true},
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        rig.Flow.SetAlignment(TRowAlignment::alNearest);
        for (int k = 0; k < 10; ++k) {
            const std::uint32_t at = Moment(2008, 1, 5, 21, k, 3);
            if (k != c.droppedShot)
                rig.Flow.AddShot({at, 30});
            if (k != c.droppedImage)
                rig.Flow.AddImage({"IMG_" + std::to_string(k), at + offset, 0.5});
        }
        if (c.extraImage) // a test shot half a minute after the fifth
            rig.Flow.AddImage({"extra", Moment(2008, 1, 5, 21, 4, 33) + offset, 0.5});
        rig.Host.TypeOffset(offset);
        SCOPED_TRACE(c.name);
        std::size_t alone = 0;
        for (const TMatchItem& row : rig.Flow.Matches()) {
            if (row.Image && row.Shot) {
                EXPECT_EQ(row.Image->Date, row.Shot->Date + offset) << row.Image->FileName;
                EXPECT_EQ(row.TimeState, TMatchState::msEqual);
            } else {
                ++alone;
                EXPECT_EQ(row.TimeState, TMatchState::msNone);
            }
        }
        EXPECT_EQ(alone, (c.droppedShot >= 0) + (c.droppedImage >= 0) + c.extraImage);
        // Graded and checked as the positional rows are.
        EXPECT_TRUE(rig.Flow.Matches()[0].Checked);
    }
}

TEST(AlignNearest, TiesAndEdges)
{
    struct Case {
        std::vector<std::uint32_t> images, shots;
        int tolerance;
        std::vector<TAlignedRow> rows;
    } cases[] = {
        {{}, {}, 1, {}},
        {{100}, {}, 1, {{0, std::nullopt}}},
        {{}, {100}, 1, {{std::nullopt, 0}}},
        // Six seconds apart: still a pair ("~"); seven: two rows in time order.
        {{106}, {100}, 1, {{0, 0}}},
        {{107}, {100}, 1, {{std::nullopt, 0}, {0, std::nullopt}}},
        {{100}, {107}, 1, {{0, std::nullopt}, {std::nullopt, 0}}},
        // Two entries one image: the nearer one gets it.
        {{103}, {100, 104}, 1, {{std::nullopt, 0}, {0, 1}}},
        // Tolerance widens the reach: 7 s pairs under tolerance 2.
        {{107}, {100}, 2, {{0, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AlignNearest(c.images, c.shots, 0, c.tolerance), c.rows)
            << ::testing::PrintToString(c.images) << " " << ::testing::PrintToString(c.shots);
}

TEST(AlignByName, PairsByNameWithoutFoldersExtensionOrCase)
{
    const std::vector<std::string> images = {"IMG_0001.CR2", "IMG_0002.CR2", "img_0003.jpg"};
    const std::vector<std::string> shots = {"C:\\Astro\\img_0003.fits", "/x/IMG_0001.dng",
                                            "other.jpg", ""};
    EXPECT_EQ(AlignByName(images, shots),
              (std::vector<TAlignedRow>{
                  {0, 1}, {1, std::nullopt}, {2, 0}, {std::nullopt, 2}, {std::nullopt, 3}}));
}

TEST(AlignByFrame, CountsInNameOrderOrTakesTheNumberInEveryName)
{
    const std::vector<std::optional<std::uint32_t>> frames = {3, 1, 2, std::nullopt};
    // Not every name holds a number: the images count from the first frame.
    EXPECT_EQ(AlignByFrame(std::vector<std::string>{"a.tif", "b.tif", "c1.tif"}, frames, 2),
              (std::vector<TAlignedRow>{
                  {0, 2}, {1, 0}, {2, std::nullopt}, {std::nullopt, 1}, {std::nullopt, 3}}));
    // Every name holds one: its last run of digits is the frame.
    EXPECT_EQ(AlignByFrame(std::vector<std::string>{"roll12_01.tif", "roll12_03.tif"}, frames, 1),
              (std::vector<TAlignedRow>{{0, 1}, {1, 0}, {std::nullopt, 2}, {std::nullopt, 3}}));
    EXPECT_EQ(FrameInName("roll12_07.tif"), 7u);
    EXPECT_EQ(FrameInName("scan.tif"), std::nullopt);
}
