#include "workflow/Matching.h"
#include "LiteralOracles.h"
#include "common/WorkflowRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::test;
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
using RowList = std::vector<Row>;

// Each row's pair and grades, to compare whole tables.
RowList Rows(const std::vector<TMatchItem>& items)
{
    RowList rows;
    for (const TMatchItem& m : items)
        rows.emplace_back(m.Image, m.Shot, m.TimeState, m.ExposureState);
    return rows;
}

// Each row's check mark, "u" behind one the user set.
std::string Marks(const TWorkflow& flow)
{
    std::string text;
    for (const TMatchItem& item : flow.Matches())
        text += std::string(item.Checked ? "x" : "-") + (item.CheckChangedByUser ? "u" : "");
    return text;
}

// A workflow for the cases that need but one.
struct MatchAll : ::testing::Test, WorkflowRig {};
struct MakeMatch : ::testing::Test, WorkflowRig {};

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

TEST_F(MatchAll, OffsetTurnsNearRowsIntoEqualOnes)
{
    for (int minute = 0; minute < 3; ++minute) {
        Flow.AddImage({"i" + std::to_string(minute), Moment(2008, 1, 5, 10, minute, 0), 0.5});
        Flow.AddShot({Moment(2008, 1, 5, 10, minute, 0) - 2, 0.5});
    }
    Flow.MatchAll();
    EXPECT_EQ(TimeMarks(Flow), "~|~|~|");
    EXPECT_EQ(Flow.Matches().front().Image, &Flow.Images().front());
    EXPECT_EQ(Flow.Matches().front().Shot, &Flow.Shots().front());

    Host.TypeOffset(2); // the field change rematches
    EXPECT_EQ(TimeMarks(Flow), "=|=|=|");
    EXPECT_EQ(Flow.Matches().size(), 3u);
    EXPECT_FALSE(Flow.HasRowsToWrite()); // equal exposure times: nothing to write
}

TEST_F(MakeMatch, GradesByToleranceAndExposure)
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
        // The distance counts both ways.
        const TImageItem late{"a", 1000 + c.distance, 0.5}, early{"b", 1000 - c.distance, 30};
        const TShotItem shot{1000, 0.5};
        EXPECT_EQ(Rows({rig.Flow.MakeMatch(&late, &shot, 0), rig.Flow.MakeMatch(&early, &shot, 0)}),
                  (RowList{{&late, &shot, c.state, S::msEqual},
                           {&early, &shot, c.state, S::msDifferent}}))
            << c.tolerance << " " << c.distance;
    }
    const TImageItem image{"a", 10, 0.5};
    const TShotItem shot{10, 0.5};
    EXPECT_EQ(
        Rows({Flow.MakeMatch(&image, nullptr, 0), Flow.MakeMatch(nullptr, &shot, 0)}),
        (RowList{{&image, nullptr, S::msNone, S::msNone}, {nullptr, &shot, S::msNone, S::msNone}}));
}

TEST_F(MakeMatch, ExposureTimesAreEqualToTheToolsPrecision)
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
        // The file holds a rational within 1e-8: 2345679/19, read back to 10 digits.
        {123456.7895, 123456.789, true},
        {123456.789, 123456.7895, true},
        {123456.8, 123456.789, false},
        {1.0 / 8100, 0.000123456789, true},
        {0.0001234567901, 0.000123456789, true},
        {0.0001234567, 0.000123456789, false},
        {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(), false},
    };
    for (const Case& c : cases) {
        const TImageItem image{"a", 10, c.image};
        const TShotItem shot{10, c.logged};
        EXPECT_EQ(Flow.MakeMatch(&image, &shot, 0).ExposureState,
                  c.equal ? S::msEqual : S::msDifferent)
            << c.image << " " << c.logged;
    }
}

TEST_F(MatchAll, AnchorAtSecondImageAndThirdShot)
{
    const TImageItem& i1 = Flow.AddImage({"i1", 1000, 0.5});
    const TImageItem& i2 = Flow.AddImage({"i2", 2000, 0.5});
    const TShotItem& s1 = Flow.AddShot({100, 0.5});
    const TShotItem& s2 = Flow.AddShot({1500, 0.5});
    const TShotItem& s3 = Flow.AddShot({2000, 0.5});
    Flow.MatchAll();
    EXPECT_EQ(Rows(Flow.Matches()), (RowList{{nullptr, &s1, S::msNone, S::msNone},
                                             {&i1, &s2, S::msDifferent, S::msEqual},
                                             {&i2, &s3, S::msEqual, S::msEqual}}));
    EXPECT_EQ(TimeMarks(Flow), "|<>|=|");
}

TEST_F(MatchAll, TiesGoToTheEarliestImageAndShot)
{
    const TImageItem& i1 = Flow.AddImage({"i1", 100, 0.5});
    Flow.AddImage({"i2", 110, 0.5});
    Flow.AddShot({90, 0.5});
    const TShotItem& s2 = Flow.AddShot({103, 0.5}); // distance 3 to i1
    Flow.AddShot({107, 0.5});                       // distance 3 to i1, too
    Flow.MatchAll();
    const auto& rows = Flow.Matches();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Image, &i1);
    EXPECT_EQ(rows[1].Shot, &s2);
}

TEST_F(MatchAll, EmptyListsAndCheckMarks)
{
    Flow.MatchAll(); // no images: empty table
    EXPECT_TRUE(Flow.Matches().empty());
    EXPECT_FALSE(Flow.HasRowsToWrite());

    Flow.AddImage({"a", 100, 0.5});
    Flow.AddImage({"b", 200, 0.5});
    Flow.MatchAll(); // no shots: a row for each image, nothing graded
    ASSERT_EQ(Flow.Matches().size(), 2u);
    for (const TMatchItem& item : Flow.Matches()) {
        EXPECT_EQ(item.Shot, nullptr);
        EXPECT_EQ(item.TimeState, S::msNone);
    }
    EXPECT_FALSE(Flow.HasRowsToWrite());

    Flow.AddShot({100, 0.5}); // same exposure: not checked
    Flow.AddShot({200, 30});  // another exposure: checked
    Host.ReplacementsBegun = Host.ReplacementsEnded = 0;
    Flow.MatchAll();
    ASSERT_EQ(Flow.Matches().size(), 2u);
    EXPECT_FALSE(Flow.Matches()[0].Checked);
    EXPECT_TRUE(Flow.Matches()[1].Checked);
    EXPECT_TRUE(Flow.HasRowsToWrite());
    // One replacement, told before and after.
    EXPECT_EQ(Host.ReplacementsBegun, 1);
    EXPECT_EQ(Host.ReplacementsEnded, 1);

    // A near row with another exposure is not checked either.
    Host.TypeOffset(3);
    EXPECT_FALSE(Flow.Matches()[1].Checked);
    EXPECT_FALSE(Flow.HasRowsToWrite());
}

TEST_F(MatchAll, TheUserChecksOnlyRowsThatCanBeWritten)
{
    Flow.AddImage({"a", 100, 0.5});
    Flow.AddImage({"b", 200, 0.5});
    Flow.AddImage({"c", 300, 0.5});
    Flow.AddShot({100, 0.5}); // nothing to write
    Flow.AddShot({200, 30});
    Flow.AddShot({300, 8});
    Flow.MatchAll();
    ASSERT_EQ(Flow.Matches().size(), 3u);
    const auto marks = [&] { return Marks(Flow); };
    EXPECT_EQ(marks(), "-xx");

    EXPECT_FALSE(Flow.SetChecked(0, true));
    EXPECT_FALSE(Flow.ToggleChecked(7));
    EXPECT_TRUE(Flow.SetChecked(1, true)); // as it was: the user's choice, no change told
    EXPECT_EQ(Host.CheckChanges, 0);
    EXPECT_TRUE(Flow.ToggleChecked(2));
    EXPECT_EQ(marks(), "-xu-u");
    EXPECT_EQ(Host.CheckChanges, 1);

    const std::vector<std::size_t> all = {0, 1, 2};
    Flow.SetChecked(all, false);
    EXPECT_EQ(marks(), "--u-u");
    EXPECT_FALSE(Flow.HasRowsToWrite());
    Flow.ToggleChecked(all);
    EXPECT_EQ(marks(), "-xuxu");
    EXPECT_EQ(Host.CheckChanges, 3); // once per command

    Flow.MatchAll(); // the same pairs: the user's marks stay
    EXPECT_EQ(marks(), "-xuxu");
}

TEST_F(MatchAll, TheUsersMarkStaysWithItsPairWhileItCanBeWritten)
{
    for (const std::uint32_t moment : {100u, 200u, 300u}) {
        Flow.AddImage({"i" + std::to_string(moment), moment, 0.5});
        Flow.AddShot({moment, 30});
    }
    Flow.MatchAll();
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* marks;
    } steps[] = {
        {"start", [] {}, "xxx"},
        {"untick b", [&] { Flow.SetChecked(1, false); }, "x-ux"},
        {"all near", [&] { Host.TypeOffset(2); }, "--u-"},
        {"tick a by hand", [&] { Flow.SetChecked(0, true); }, "xu-u-"},
        {"still near", [&] { Host.TypeOffset(3); }, "xu-u-"},
        {"all equal", [&] { Host.TypeOffset(0); }, "xu-ux"},
        // Too far to be written: a's "yes" gives way, b's "no" stays.
        {"all different", [&] { Host.TypeOffset(20); }, "--u-"},
        {"equal again", [&] { Host.TypeOffset(0); }, "x-ux"},
        // Shot and image rows shift: new pairs start from the automatic choice.
        {"pairs shifted", [&] { Host.TypeOffset(-100); }, "-xx-"},
        {"pairs back", [&] { Host.TypeOffset(0); }, "xxx"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(Marks(Flow), step.marks) << step.what;
    }
}

TEST_F(MakeMatch, CheckReasonSaysWhyARowIsCheckedOrNot)
{
    const TImageItem image{"a", 1000, 0.5};
    struct Case {
        std::optional<TShotItem> shot;
        bool withImage;
        int offset, tolerance;
        bool checked;
        const char* reason;
    } cases[] = {
        {std::nullopt, true, 0, 1, false, "Kein Protokolleintrag"},
        {TShotItem{1000, 30}, false, 0, 1, false, "Kein Bild"},
        {TShotItem{1001, 0.5}, true, 0, 1, false, "Zeit und Verschlusszeit gleich – nichts zu tun"},
        {TShotItem{1001, 30}, true, 0, 1, true,
         "Zeit gleich, Verschlusszeit abweichend – wird eingetragen"},
        {TShotItem{1000, 30}, true, 0, 1, false,
         "Zeit gleich, Verschlusszeit abweichend – nicht angekreuzt"},
        {TShotItem{1000, 5e9}, true, 0, 1, false,
         "Zeit gleich, Verschlusszeit abweichend – Wert nicht schreibbar"},
        {TShotItem{997, 30}, true, 0, 1, false,
         "Zeit 3 s daneben (Toleranz 1 s), Verschlusszeit abweichend – von Hand ankreuzbar"},
        {TShotItem{990, 30}, true, 7, 2, true,
         "Zeit 3 s daneben (Toleranz 2 s), Verschlusszeit abweichend – wird eingetragen"},
        {TShotItem{1003, 0.5}, true, 0, 1, false,
         "Zeit 3 s daneben (Toleranz 1 s), Verschlusszeit gleich – nichts zu tun"},
        {TShotItem{1040, 30}, true, 0, 0, false,
         "Zeit 40 s daneben (Toleranz 0 s), Verschlusszeit abweichend – wird nicht eingetragen"},
    };
    for (const Case& c : cases) {
        Host.TypeOffset(c.offset);
        Host.SetToleranceValue(c.tolerance);
        TMatchItem item =
            Flow.MakeMatch(c.withImage ? &image : nullptr, c.shot ? &*c.shot : nullptr, c.offset);
        item.Checked = c.checked;
        EXPECT_EQ(Flow.CheckReason(item), c.reason);
    }
}

TEST(FieldsChanged, MatchesOnlyWithImages)
{
    WorkflowRig rig;
    rig.Flow.AddShot({100, 30});
    rig.Host.TypeOffset(5);
    EXPECT_EQ(rig.Host.ReplacementsBegun, 0);

    rig.Flow.AddImage({"a", 105, 0.5});
    rig.Host.SetToleranceValue(0);
    ASSERT_EQ(rig.Flow.Matches().size(), 1u);
    EXPECT_TRUE(rig.Flow.Matches()[0].Checked);
}

TEST_F(MatchAll, AgreesWithTheLiteralAnchorSearch)
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
    }
}

TEST_F(MatchAll, AgreesWithTheLiteralAnchorSearchOnLargeLists)
{
    std::mt19937 random(7);
    const std::uint32_t start = Moment(2008, 1, 5, 18, 0, 0);
    std::uniform_int_distribution<std::uint32_t> spread(0, 12 * 3600);
    for (int i = 0; i < 2000; ++i) {
        Flow.AddImage({"i", start + spread(random), 0.5});
        Flow.AddShot({start + spread(random), 1});
    }
    for (int offset : {0, -299, 300}) {
        Host.TypeOffset(offset);
        Flow.MatchAll();
        ASSERT_EQ(Rows(Flow.Matches()),
                  Rows(LiteralMatchAll(Flow.Images(), Flow.Shots(), offset, 1)))
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

// Film scans carry the scan's time: by time nothing pairs, by name and by
// frame every image finds its entry and is ticked.
TEST(KeyedAlignment, NameAndFrameAlignmentPairWhereTheClockCannot)
{
    for (const TRowAlignment alignment : {TRowAlignment::alName, TRowAlignment::alFrame}) {
        WorkflowRig rig;
        rig.Flow.AddImage({"roll12_02.tif", 5000000, 1});
        rig.Flow.AddImage({"roll12_01.tif", 5000100, 1});
        TShotItem first{1000, 0.5, "ROLL12_01.jpg", 1u};
        TShotItem second{2000, 30, "roll12_02", 2u};
        rig.Flow.AddShot(second);
        rig.Flow.AddShot(first);
        rig.Flow.MatchAll();
        EXPECT_EQ(rig.Flow.ExactPairs(), 0u);
        rig.Flow.SetAlignment(alignment);
        rig.Flow.MatchAll();
        const auto& rows = rig.Flow.Matches();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].Image->FileName, "roll12_01.tif");
        EXPECT_EQ(rows[0].Shot->ExposureTime, 0.5);
        EXPECT_EQ(rows[1].Shot->ExposureTime, 30);
        EXPECT_TRUE(rows[0].Checked && rows[1].Checked);
        EXPECT_EQ(rig.Flow.CellText(rows[0], colTimeState), "=");
        EXPECT_NE(rig.Flow.CheckReason(rows[0]).find(alignment == TRowAlignment::alName
                                                         ? "Dateiname gleich"
                                                         : "Bildnummer gleich"),
                  std::string::npos);
    }
}
