#include "workflow/Matching.h"
#include "LiteralOracles.h"
#include "common/WorkflowRig.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::testing;
using S = TMatchState;

namespace {

std::string TimeMarks(const TWorkflow& flow)
{
    std::string marks;
    for (const TMatchItem& item : flow.Matches())
        marks += flow.CellText(item, 3) + "|";
    return marks;
}

using Row = std::tuple<const TImageItem*, const TShotItem*, S, S>;

// Each row's pair and grades, to compare whole tables.
std::vector<Row> Rows(const std::vector<TMatchItem>& items)
{
    std::vector<Row> rows;
    for (const TMatchItem& m : items)
        rows.emplace_back(m.Image, m.Shot, m.TimeState, m.ExposureState);
    return rows;
}

} // namespace

TEST(TimeDistance, UnsignedWrapAround)
{
    struct Case {
        std::uint32_t image, shot;
        std::int32_t offset;
        std::uint32_t distance;
    } cases[] = {
        {100, 95, 0, 5},
        {95, 100, 0, 5},
        {100, 95, 5, 0},
        {100, 95, -5, 10},
        {0, 0xFFFFFFFFu, 1, 0},           // shot + offset wraps to 0
        {5, 0, -10, 0xFFFFFFF1u},         // 0 - 10 wraps to the top
        {0xFFFFFFFFu, 0, 0, 0xFFFFFFFFu}, // no circular shortcut
        {0xFFFFFFF6u, 0, -10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeDistance(c.image, c.shot, c.offset), c.distance) << c.image << " " << c.shot;
}

TEST(MatchAll, OffsetTurnsNearRowsIntoEqualOnes)
{
    WorkflowRig rig;
    for (int minute = 0; minute < 3; ++minute) {
        rig.Flow.AddImage({"i" + std::to_string(minute), Moment(2008, 1, 5, 10, minute, 0), 0.5});
        rig.Flow.AddShot({Moment(2008, 1, 5, 10, minute, 0) - 2, 0.5});
    }
    rig.Flow.MatchAll();
    EXPECT_EQ(TimeMarks(rig.Flow), "~|~|~|");
    EXPECT_EQ(rig.Flow.Matches().front().Image, &rig.Flow.Images().front());
    EXPECT_EQ(rig.Flow.Matches().front().Shot, &rig.Flow.Shots().front());

    rig.Host.TypeOffset(2); // the field change rematches
    EXPECT_EQ(TimeMarks(rig.Flow), "=|=|=|");
    EXPECT_EQ(rig.Table.RowCount(), 3);
    EXPECT_FALSE(rig.Table.WriteEnabled); // equal exposure times: nothing to write
}

TEST(MakeMatch, GradesByToleranceAndExposure)
{
    struct Case {
        int tolerance;
        std::uint32_t distance;
        S state;
    } cases[] = {
        {0, 0, S::msEqual}, {0, 1, S::msNear}, {0, 5, S::msNear},      {0, 6, S::msDifferent},
        {1, 1, S::msEqual}, {1, 2, S::msNear}, {1, 6, S::msNear},      {1, 7, S::msDifferent},
        {2, 2, S::msEqual}, {2, 7, S::msNear}, {2, 8, S::msDifferent},
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        rig.Host.SetToleranceValue(c.tolerance);
        const TImageItem image{"a", 1000 + c.distance, 0.5};
        const TShotItem shot{1000, 0.5};
        const TMatchItem item = rig.Flow.MakeMatch(&image, &shot, 0);
        EXPECT_EQ(item.TimeState, c.state) << c.tolerance << " " << c.distance;
        EXPECT_EQ(item.ExposureState, S::msEqual);
        // The distance counts both ways.
        const TImageItem early{"b", 1000 - c.distance, 30};
        EXPECT_EQ(rig.Flow.MakeMatch(&early, &shot, 0).TimeState, c.state);
        EXPECT_EQ(rig.Flow.MakeMatch(&early, &shot, 0).ExposureState, S::msDifferent);
    }
    WorkflowRig rig;
    const TImageItem image{"a", 10, 0.5};
    const TShotItem shot{10, 0.5};
    for (const TMatchItem& item :
         {rig.Flow.MakeMatch(&image, nullptr, 0), rig.Flow.MakeMatch(nullptr, &shot, 0)}) {
        EXPECT_EQ(item.TimeState, S::msNone);
        EXPECT_EQ(item.ExposureState, S::msNone);
    }
}

TEST(MakeMatch, ExposureTimesAreEqualToTheToolsPrecision)
{
    struct Case {
        double image;
        double logged;
        bool equal;
    } cases[] = {
        {1.0 / 60, 0.0166666666666667, true},    // 1/60 against the logged text
        {0.3333333333, 0.333333333333333, true}, // 10 digits, as the tool reports it
        {1.0 / 60, 0.0166, false},
        {1.2, 1.25, false},
        {1.000001, 1, false},
        {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(), false},
    };
    WorkflowRig rig;
    for (const Case& c : cases) {
        const TImageItem image{"a", 10, c.image};
        const TShotItem shot{10, c.logged};
        EXPECT_EQ(rig.Flow.MakeMatch(&image, &shot, 0).ExposureState,
                  c.equal ? S::msEqual : S::msDifferent)
            << c.image << " " << c.logged;
    }
}

TEST(MatchAll, AnchorAtSecondImageAndThirdShot)
{
    WorkflowRig rig;
    const TImageItem& i1 = rig.Flow.AddImage({"i1", 1000, 0.5});
    const TImageItem& i2 = rig.Flow.AddImage({"i2", 2000, 0.5});
    const TShotItem& s1 = rig.Flow.AddShot({100, 0.5});
    const TShotItem& s2 = rig.Flow.AddShot({1500, 0.5});
    const TShotItem& s3 = rig.Flow.AddShot({2000, 0.5});
    rig.Flow.MatchAll();
    EXPECT_EQ(Rows(rig.Flow.Matches()), (std::vector<Row>{{nullptr, &s1, S::msNone, S::msNone},
                                                          {&i1, &s2, S::msDifferent, S::msEqual},
                                                          {&i2, &s3, S::msEqual, S::msEqual}}));
    EXPECT_EQ(TimeMarks(rig.Flow), "|<>|=|");
}

TEST(MatchAll, TiesGoToTheEarliestImageAndShot)
{
    WorkflowRig rig;
    const TImageItem& i1 = rig.Flow.AddImage({"i1", 100, 0.5});
    rig.Flow.AddImage({"i2", 110, 0.5});
    rig.Flow.AddShot({90, 0.5});
    const TShotItem& s2 = rig.Flow.AddShot({103, 0.5}); // distance 3 to i1
    rig.Flow.AddShot({107, 0.5});                       // distance 3 to i1, too
    rig.Flow.MatchAll();
    const auto& rows = rig.Flow.Matches();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Image, &i1);
    EXPECT_EQ(rows[1].Shot, &s2);
}

TEST(MatchAll, EmptyListsAndCheckMarks)
{
    WorkflowRig rig;
    rig.Flow.MatchAll(); // no images: empty table
    EXPECT_EQ(rig.Table.RowCount(), 0);
    EXPECT_FALSE(rig.Table.WriteEnabled);

    rig.Flow.AddImage({"a", 100, 0.5});
    rig.Flow.AddImage({"b", 200, 0.5});
    rig.Flow.MatchAll(); // no shots: a row for each image, nothing graded
    ASSERT_EQ(rig.Table.RowCount(), 2);
    for (const TMatchItem& item : rig.Flow.Matches()) {
        EXPECT_EQ(item.Shot, nullptr);
        EXPECT_EQ(item.TimeState, S::msNone);
    }
    EXPECT_FALSE(rig.Table.WriteEnabled);

    rig.Flow.AddShot({100, 0.5}); // same exposure: not checked
    rig.Flow.AddShot({200, 30});  // another exposure: checked
    rig.Table.UpdateBrackets = 0;
    rig.Flow.MatchAll();
    ASSERT_EQ(rig.Table.RowCount(), 2);
    EXPECT_FALSE(rig.Table.IsChecked(0));
    EXPECT_TRUE(rig.Table.IsChecked(1));
    EXPECT_TRUE(rig.Table.WriteEnabled);
    for (int r = 0; r < 2; ++r)
        EXPECT_EQ(rig.Table.RowItem(r), &rig.Flow.Matches()[static_cast<std::size_t>(r)]);
    EXPECT_EQ(rig.Table.UpdateBrackets, 1);
    EXPECT_EQ(rig.Table.UpdateDepth, 0);
    EXPECT_EQ(rig.Table.RowsAddedOutsideUpdate, 0);

    // A near row with another exposure is not checked either.
    rig.Host.TypeOffset(3);
    EXPECT_FALSE(rig.Table.IsChecked(1));
    EXPECT_FALSE(rig.Table.WriteEnabled);
}

TEST(MatchAll, RestoresThePreviousCursorAlsoAfterAnError)
{
    WorkflowRig rig;
    rig.Flow.AddImage({"a", 100, 0.5});
    rig.Flow.AddShot({100, 30});
    rig.Host.SetCursor(TCursorKind::crHourGlass); // a long command is running
    rig.Host.CursorChanges.clear();
    rig.Flow.MatchAll();
    EXPECT_EQ(rig.Host.Cursor(), TCursorKind::crHourGlass);
    EXPECT_FALSE(rig.Host.CursorChanges.empty());

    rig.Host.SetCursor(TCursorKind::crDefault);
    rig.Table.FailAtRow = 0;
    EXPECT_THROW(rig.Flow.MatchAll(), std::runtime_error);
    EXPECT_EQ(rig.Host.Cursor(), TCursorKind::crDefault);
    EXPECT_EQ(rig.Table.UpdateDepth, 0);
}

TEST(FieldsChanged, MatchesOnlyWithImages)
{
    WorkflowRig rig;
    rig.Flow.AddShot({100, 30});
    rig.Host.TypeOffset(5);
    EXPECT_TRUE(rig.Host.CursorChanges.empty());
    EXPECT_EQ(rig.Table.UpdateBrackets, 0);

    rig.Flow.AddImage({"a", 105, 0.5});
    rig.Host.SetToleranceValue(0);
    EXPECT_EQ(rig.Table.RowCount(), 1);
    EXPECT_TRUE(rig.Table.IsChecked(0));
}

TEST(MatchAll, AgreesWithTheLiteralAnchorSearch)
{
    std::mt19937 random(20080105);
    for (int trial = 0; trial < 600; ++trial) {
        WorkflowRig rig;
        const int images = std::uniform_int_distribution(0, 12)(random);
        const int shots = std::uniform_int_distribution(0, 12)(random);
        // Narrow windows give ties and equal moments; some sit across the
        // end of the unsigned range so that shifted moments wrap.
        const std::uint32_t width = trial % 2 == 0 ? 40 : 2000;
        const std::uint32_t base =
            trial % 3 == 0 ? 0xFFFFFFFFu - width / 2 : static_cast<std::uint32_t>(random());
        std::uniform_int_distribution<std::uint32_t> spread(0, width);
        const double exposures[] = {0.5, 1, 30};
        for (int i = 0; i < images; ++i)
            rig.Flow.AddImage({"i", base + spread(random), exposures[random() % 3]});
        for (int s = 0; s < shots; ++s)
            rig.Flow.AddShot({base + spread(random), exposures[random() % 3]});
        const int offset = trial % 2 == 0 ? std::uniform_int_distribution(-30, 30)(random)
                                          : std::uniform_int_distribution(-2500, 2500)(random);
        rig.Host.TypeOffset(offset);
        rig.Host.SetToleranceValue(trial % 3);
        rig.Flow.MatchAll();
        SCOPED_TRACE("trial " + std::to_string(trial));
        ASSERT_EQ(Rows(rig.Flow.Matches()),
                  Rows(LiteralMatchAll(rig.Flow.Images(), rig.Flow.Shots(), offset,
                                       rig.Host.ToleranceValue())));
        ASSERT_EQ(rig.Table.RowCount(), static_cast<int>(rig.Flow.Matches().size()));
    }
}

TEST(MatchAll, AgreesWithTheLiteralAnchorSearchOnLargeLists)
{
    std::mt19937 random(7);
    WorkflowRig rig;
    const std::uint32_t start = Moment(2008, 1, 5, 18, 0, 0);
    std::uniform_int_distribution<std::uint32_t> spread(0, 12 * 3600);
    for (int i = 0; i < 2000; ++i) {
        rig.Flow.AddImage({"i", start + spread(random), 0.5});
        rig.Flow.AddShot({start + spread(random), 1});
    }
    for (int offset : {0, -299, 300}) {
        rig.Host.TypeOffset(offset);
        rig.Flow.MatchAll();
        ASSERT_EQ(Rows(rig.Flow.Matches()),
                  Rows(LiteralMatchAll(rig.Flow.Images(), rig.Flow.Shots(), offset, 1)))
            << offset;
    }
}

TEST(FindAnchor, PureSearch)
{
    const std::uint32_t images[] = {100, 200, 300};
    const std::uint32_t shots[] = {195, 205, 290};
    const TAnchor a = FindAnchor(images, shots, 0);
    EXPECT_EQ(a.Image, 1u);
    EXPECT_EQ(a.Shot, 0u); // 195 and 205 both 5 away: the earlier shot
    EXPECT_FALSE(FindAnchor(images, {}, 0).Shot.has_value());
}
