#include "LiteralOracles.h"
#include "common/WorkflowRig.h"
#include "workflow/Matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <span>
#include <tuple>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

void Fill(WorkflowRig& rig, const std::vector<std::uint32_t>& images,
          const std::vector<std::uint32_t>& shots)
{
    for (std::uint32_t date : images)
        rig.Flow.AddImage({"i", date, 0.5});
    for (std::uint32_t date : shots)
        rig.Flow.AddShot({date, 0.5});
}

// How often each signed difference of an image and a shot moment occurs.
std::map<std::int32_t, std::uint64_t> DifferenceCounts(std::span<const std::uint32_t> images,
                                                       std::span<const std::uint32_t> shots)
{
    std::map<std::int32_t, std::uint64_t> counts;
    for (std::uint32_t i : images)
        for (std::uint32_t s : shots)
            ++counts[static_cast<std::int32_t>(i - s)];
    return counts;
}

// Every difference counted in a map: the best and the runner-up, the smallest
// of equally frequent ones.
TOffsetRanking CountedRanking(const std::map<std::int32_t, std::uint64_t>& counts)
{
    TOffsetRanking ranking;
    for (const auto& [difference, count] : counts) {
        if (count > ranking.BestCount) {
            ranking.Best = difference;
            ranking.BestCount = count;
        }
    }
    for (const auto& [difference, count] : counts) {
        if (difference != ranking.Best && count > ranking.RunnerUpCount) {
            ranking.RunnerUp = difference;
            ranking.RunnerUpCount = count;
        }
    }
    return ranking;
}

// The ranking within -range..range by sorting every candidate there, with
// its count, by more pairs, then nearer to 0, then smaller.
TOffsetRanking::TInRange InRangeRanking(const std::map<std::int32_t, std::uint64_t>& counts,
                                        std::int64_t range)
{
    std::vector<std::pair<std::int32_t, std::uint64_t>> inside;
    for (const auto& [difference, count] : counts)
        if (std::abs(static_cast<std::int64_t>(difference)) <= range)
            inside.emplace_back(difference, count);
    std::sort(inside.begin(), inside.end(), [](const auto& a, const auto& b) {
        return std::tuple(b.second, std::abs(static_cast<std::int64_t>(a.first)), a.first) <
               std::tuple(a.second, std::abs(static_cast<std::int64_t>(b.first)), b.first);
    });
    TOffsetRanking::TInRange in;
    if (!inside.empty())
        std::tie(in.Best, in.BestCount) = inside[0];
    if (inside.size() > 1)
        std::tie(in.RunnerUp, in.RunnerUpCount) = inside[1];
    return in;
}

// A workflow for the cases that need but one.
struct FindAutoOffset : ::testing::Test, WorkflowRig {};

// Each way of searching on its own, whatever BestAutoOffset would pick, ranks
// as counting every difference does, and finds the expected best.
void ExpectEveryStrategyFinds(std::span<const std::uint32_t> images,
                              std::span<const std::uint32_t> shots, std::int32_t expected)
{
    const auto counts = DifferenceCounts(images, shots);
    const TOffsetRanking counted = CountedRanking(counts);
    EXPECT_EQ(counted.Best, expected);
    EXPECT_EQ(RankAutoOffsets(images, shots), counted);
    const std::int32_t minDiff = counts.begin()->first;
    const std::int64_t span = static_cast<std::int64_t>(counts.rbegin()->first) - minDiff + 1;
    if (span <= (1 << 22)) {
        EXPECT_EQ(MostFrequentByCounting(images, shots, minDiff, static_cast<std::size_t>(span)),
                  counted);
    }
    EXPECT_EQ(MostFrequentBySorting(images, shots), counted);
    EXPECT_EQ(MostFrequentByMerging(images, shots), counted);
    // Within a range, alongside the whole ranking.
    TOffsetRanking ranged = counted;
    ranged.InRange = InRangeRanking(counts, 300);
    EXPECT_EQ(RankAutoOffsets(images, shots, 300), ranged);
    if (span <= (1 << 22)) {
        EXPECT_EQ(
            MostFrequentByCounting(images, shots, minDiff, static_cast<std::size_t>(span), 300),
            ranged);
    }
    EXPECT_EQ(MostFrequentBySorting(images, shots, 300), ranged);
    EXPECT_EQ(MostFrequentByMerging(images, shots, 300), ranged);
}

} // namespace

TEST_F(FindAutoOffset, NearestToZeroOfTheTiedCandidatesWins)
{
    Fill(*this, {100, 200, 300}, {95, 195, 290});
    Flow.FindAutoOffset();
    EXPECT_EQ(Host.OffsetValue(), 5);
    EXPECT_EQ(Flow.Matches().size(), 3u); // the field change rematched
    EXPECT_TRUE(Host.Messages.empty());
}

TEST_F(FindAutoOffset, AFarOffsetThatPairsMoreIsNamedNotSet)
{
    Fill(*this, {14000, 15000}, {10000, 11000});
    Host.TypeOffset(7);
    const auto report = Flow.FindAutoOffset();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->Best, 4000);
    EXPECT_EQ(report->Offset, 0); // nothing pairs inside the range
    EXPECT_EQ(report->Pairs, 0u);
    EXPECT_EQ(report->RunnerUp, std::nullopt);
    EXPECT_EQ(Host.Log.end()[-1], "offset: 0");
    EXPECT_EQ(Host.OffsetValue(), 0);
    EXPECT_EQ(Host.Status, "Bester Versatz +1 h 6 min 40 s liegt außerhalb des Bereichs – "
                           "Zeitzone oder Sommerzeit der Kamera?");
    // Matched under 0: the closest pair is 14000 and 11000.
    ASSERT_EQ(Flow.Matches().size(), 3u);
    EXPECT_EQ(Flow.Matches()[1].Image, &Flow.Images().front());
    EXPECT_EQ(Flow.Matches()[1].Shot, &Flow.Shots().back());
}

// Images at the log's rhythm pair equally well under many offsets, most of
// them outside the range; the best inside wins, the nearest to 0 of a tie.
TEST_F(FindAutoOffset, TheBestInsideTheRangeNearestToZero)
{
    struct Case {
        std::int32_t shift;
        TAutoOffsetReport report;
        const char* text;
    } cases[] = {
        {0, {0, 300, -60, 300, 0}, "Versatz 0 s: 300 Bilder genau; nächstbester -60 s: 300"},
        {7, {7, 300, -53, 300, 7}, "Versatz 7 s: 300 Bilder genau; nächstbester -53 s: 300"},
        {-30, {-30, 300, 30, 300, -30}, "Versatz -30 s: 300 Bilder genau; nächstbester 30 s: 300"},
        {30, {-30, 300, 30, 300, -30}, "Versatz -30 s: 300 Bilder genau; nächstbester 30 s: 300"},
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        std::vector<std::uint32_t> shots, images;
        for (std::uint32_t k = 0; k < 1000; ++k)
            shots.push_back(1000000 + 60 * k);
        for (std::uint32_t k = 350; k < 650; ++k)
            images.push_back(shots[k] + static_cast<std::uint32_t>(c.shift));
        Fill(rig, images, shots);
        const auto report = rig.Flow.FindAutoOffset();
        ASSERT_TRUE(report) << c.shift;
        EXPECT_EQ(report->Offset, c.report.Offset) << c.shift;
        EXPECT_EQ(report->Pairs, c.report.Pairs) << c.shift;
        EXPECT_EQ(report->RunnerUp, c.report.RunnerUp) << c.shift;
        EXPECT_EQ(report->RunnerUpPairs, c.report.RunnerUpPairs) << c.shift;
        EXPECT_EQ(report->Best, c.report.Best) << c.shift;
        EXPECT_EQ(rig.Host.OffsetValue(), c.report.Offset);
        EXPECT_EQ(rig.Host.Status, c.text);
    }
}

TEST_F(FindAutoOffset, EmptyListsTellTheUser)
{
    for (int which = 0; which < 3; ++which) {
        WorkflowRig rig;
        if (which == 1)
            rig.Flow.AddImage({"a", 100, 0.5});
        if (which == 2)
            rig.Flow.AddShot({100, 0.5});
        rig.Host.TypeOffset(7);
        rig.Flow.FindAutoOffset();
        ASSERT_EQ(rig.Host.Messages.size(), 1u);
        EXPECT_EQ(rig.Host.Messages[0].Kind, "info");
        EXPECT_EQ(rig.Host.Messages[0].Text, "Keine Übereinstimmung gefunden!");
        EXPECT_EQ(rig.Host.Messages[0].Caption, "Zelmaro");
        EXPECT_EQ(rig.Host.OffsetValue(), 7);
    }
}

TEST_F(FindAutoOffset, ImageBeforeTheLogDoesNotHide)
{
    Fill(*this, {50, 1030, 2030, 3030}, {1000, 2000, 3000});
    Flow.FindAutoOffset();
    EXPECT_EQ(Host.OffsetValue(), 30);
}

TEST(BestAutoOffset, AgreesWithTheLiteralSearch)
{
    std::mt19937 random(1899);
    for (int trial = 0; trial < 400; ++trial) {
        const int kind = trial % 5;
        const int most = kind == 3 ? 4 : 9; // the literal search pays for the width
        const int images = std::uniform_int_distribution(0, most)(random);
        const int shots = std::uniform_int_distribution(0, most)(random);
        // 0: a few minutes; 1: an offset far beyond 300; 2: across the end of
        // the unsigned range; 3: spread wide enough for the merging search;
        // 4: equal moments only.
        const std::uint32_t base = kind == 2 ? 0xFFFFFFFFu - 300 : 1000000u + random() % 1000;
        const std::uint32_t width = kind == 3 ? 150000 : kind == 4 ? 3 : 600;
        const std::uint32_t shift = kind == 1 ? 4000 + random() % 3000 : random() % 20;
        std::uniform_int_distribution<std::uint32_t> spread(0, width);
        std::vector<std::uint32_t> shotDates;
        for (int s = 0; s < shots; ++s)
            shotDates.push_back(base + spread(random));
        std::vector<std::uint32_t> imageDates;
        for (int i = 0; i < images; ++i) {
            // Most images belong to a shot, moved by the clock difference.
            if (!shotDates.empty() && random() % 3 != 0)
                imageDates.push_back(shotDates[random() % shotDates.size()] + shift);
            else
                imageDates.push_back(base + spread(random));
        }
        // In time order, as the workflow hands them over.
        std::sort(imageDates.begin(), imageDates.end());
        std::sort(shotDates.begin(), shotDates.end());
        SCOPED_TRACE("trial " + std::to_string(trial));
        const auto expected = LiteralAutoOffset(imageDates, shotDates);
        ASSERT_EQ(BestAutoOffset(imageDates, shotDates), expected);
        if (expected)
            ExpectEveryStrategyFinds(imageDates, shotDates, *expected);
    }
}

TEST(BestAutoOffset, AgreesWithTheLiteralSearchBeyondTheSentinels)
{
    // All differences beyond +-3000000 widen the literal range to the sentinel.
    struct Case {
        std::vector<std::uint32_t> images, shots;
    } cases[] = {
        {{10000000}, {6000000}},
        {{6000000}, {10000000}},
        {{10000000, 10000100}, {6000000, 6000100, 6000050}},
        {{6000000, 6000100}, {10000000, 10000100, 10000050}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BestAutoOffset(c.images, c.shots), LiteralAutoOffset(c.images, c.shots));
    // The difference -2^31 counts like any other; all differences occur once.
    const std::uint32_t images[] = {5, 0x80000000u + 10};
    const std::uint32_t shots[] = {5, 10};
    EXPECT_EQ(BestAutoOffset(images, shots), std::numeric_limits<std::int32_t>::min());
    ExpectEveryStrategyFinds(images, shots, std::numeric_limits<std::int32_t>::min());
}

TEST(BestAutoOffset, WideSpreadsAgreeWithCountingAllDifferences)
{
    // Too wide for the literal search; the reference counts all differences.
    std::mt19937 random(2036);
    for (int trial = 0; trial < 30; ++trial) {
        const int n = std::uniform_int_distribution(1, 150)(random);
        const int m = std::uniform_int_distribution(1, 150)(random);
        std::vector<std::uint32_t> shots;
        for (int s = 0; s < m; ++s)
            shots.push_back(trial % 2 ? static_cast<std::uint32_t>(random())
                                      : 0xFFFFF000u + random() % 0x2000);
        std::vector<std::uint32_t> images;
        const std::uint32_t shift = static_cast<std::uint32_t>(random());
        for (int i = 0; i < n; ++i)
            images.push_back(random() % 2 ? shots[random() % shots.size()] + shift
                                          : static_cast<std::uint32_t>(random()));
        std::sort(shots.begin(), shots.end());
        std::sort(images.begin(), images.end());
        const std::int32_t best = CountedRanking(DifferenceCounts(images, shots)).Best;
        SCOPED_TRACE("trial " + std::to_string(trial));
        EXPECT_EQ(BestAutoOffset(images, shots), best);
        ExpectEveryStrategyFinds(images, shots, best);
    }
}

TEST_F(FindAutoOffset, ReportAgreesWithCountingEveryCandidate)
{
    std::mt19937 random(3607);
    for (int trial = 0; trial < 200; ++trial) {
        WorkflowRig rig;
        // Some sessions an hour or more off, beyond the field's range.
        const std::int32_t shift = trial % 4 == 0 ? 3607 : trial % 4 == 1 ? -4000 : trial % 41 - 20;
        std::vector<std::uint32_t> shots, images;
        const int count = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k)
            shots.push_back(1000000 + random() % 900);
        for (std::uint32_t shot : shots)
            if (random() % 4 != 0)
                images.push_back(shot + static_cast<std::uint32_t>(shift) + random() % 2);
        images.push_back(1000000 + random() % 900); // one the log does not know
        Fill(rig, images, shots);
        SCOPED_TRACE("trial " + std::to_string(trial));

        auto pairs = DifferenceCounts(images, shots); // candidate -> exact pairs
        const TOffsetRanking ranking = CountedRanking(pairs);
        const TOffsetRanking::TInRange in = InRangeRanking(pairs, 300);
        const auto report = rig.Flow.FindAutoOffset();
        ASSERT_TRUE(report);
        EXPECT_EQ(report->Offset, in.Best.value_or(0));
        EXPECT_EQ(report->Offset, rig.Host.OffsetValue());
        EXPECT_EQ(report->Pairs, pairs.count(report->Offset) ? pairs[report->Offset] : 0);
        EXPECT_EQ(report->Best, ranking.BestCount > report->Pairs ? ranking.Best : report->Offset);
        EXPECT_EQ(report->BestPairs, pairs[report->Best]);
        EXPECT_EQ(report->RunnerUp, in.RunnerUp);
        EXPECT_EQ(report->RunnerUpPairs, in.RunnerUpCount);
        EXPECT_EQ(rig.Host.Status, AutoOffsetText(*report));
    }
}

// Only the differences within the window are ranked; everything else as
// counting every difference does, also where differences wrap around the
// 32-bit seconds.
TEST(RankOffsetsWithin, AgreesWithCountingTheDifferencesInTheWindow)
{
    std::mt19937 random(4711);
    constexpr std::int32_t kWidest = std::numeric_limits<std::int32_t>::max();
    for (int trial = 0; trial < 300; ++trial) {
        const int kind = trial % 4;
        // 0: a night; 1: a few days; 2: across the end of the unsigned range;
        // 3: anywhere at all.
        const std::uint32_t base = kind == 2 ? 0xFFFFFFFFu - 2000 : 1000000u;
        const std::uint32_t width = kind == 0 ? 3600 : kind == 1 ? 4 * 86400 : 4000;
        std::vector<std::uint32_t> shots(1 + random() % 40), images(1 + random() % 40);
        for (std::uint32_t& shot : shots)
            shot = kind == 3 ? static_cast<std::uint32_t>(random()) : base + random() % width;
        const std::uint32_t shift = random() % 2 ? random() % 600 : 3600 + random() % 90000;
        for (std::uint32_t& image : images)
            image = random() % 3 ? shots[random() % shots.size()] + shift : base + random() % width;
        const std::int32_t windows[] = {0, 300, kMaxWideOffset, kWidest};
        const std::int32_t window = windows[trial / 4 % 4];
        SCOPED_TRACE("trial " + std::to_string(trial) + " window " + std::to_string(window));

        std::map<std::int32_t, std::uint64_t> inside;
        std::uint64_t pairs = 0;
        for (const auto& [difference, count] : DifferenceCounts(images, shots)) {
            if (std::abs(static_cast<std::int64_t>(difference)) <= window) {
                inside[difference] = count;
                pairs += count;
            }
        }
        TOffsetRanking expected = CountedRanking(inside);
        expected.InRange = InRangeRanking(inside, std::min(window, 300));
        EXPECT_EQ(RankOffsetsWithin(images, shots, window, std::min(window, 300)), expected);
        EXPECT_EQ(PairsWithin(images, shots, window), pairs);
    }
    const std::vector<std::uint32_t> none;
    const std::vector<std::uint32_t> one{5};
    EXPECT_EQ(RankOffsetsWithin(none, one, 300, 300), std::nullopt);
    EXPECT_EQ(RankOffsetsWithin(one, none, 300, 300), std::nullopt);
}

TEST_F(FindAutoOffset, ALongSearchShowsItsProgressAndCanBeCancelled)
{
    // 2,000 images against 10,000 shots of one hour: some 20 million pairs.
    std::mt19937 random(99);
    std::vector<std::uint32_t> shots(10000), images(2000);
    for (std::uint32_t& shot : shots)
        shot = 3408717600u + random() % 3600;
    for (std::uint32_t& image : images)
        image = shots[random() % shots.size()] + 7;
    Fill(*this, images, shots);
    Host.TypeOffset(3);
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel);
        Host.Log.clear();
        Host.OnPendingEvents = [&] { Host.SetCancel(cancel); };
        const auto report = Flow.FindAutoOffset();
        EXPECT_EQ(Host.Log.front(), "progress: open");
        EXPECT_NE(std::find(Host.Log.begin(), Host.Log.end(), "progress: close"), Host.Log.end());
        EXPECT_TRUE(Host.Messages.empty());
        if (cancel) {
            EXPECT_EQ(report, std::nullopt);
            EXPECT_EQ(Host.OffsetValue(), 3);
            EXPECT_EQ(Host.Status, "Suche nach dem Versatz abgebrochen.");
        } else {
            ASSERT_TRUE(report);
            EXPECT_EQ(report->Offset, 7);
            EXPECT_EQ(Host.OffsetValue(), 7);
        }
    }
}

// The window's bound is a day, its search keeps to the narrow range until an
// offset beyond it is set or taken; the command line searches its whole bound.
TEST(AutoOffsetBound, WidensOnlyForAnOffsetBeyondTheSearch)
{
    struct Case {
        int max, search;
        int typed;
        bool taken;
        int bound;
    } cases[] = {
        {300, 300, 0, false, 300},     {7200, 7200, 0, false, 7200},
        {86400, 300, 300, false, 300}, {86400, 300, -301, false, 86400},
        {86400, 300, 5, true, 86400},  {86400, 300, -86400, false, 86400},
    };
    for (const Case& c : cases) {
        WorkflowRig rig;
        rig.Flow.SetMaxOffset(c.max, c.search);
        if (c.taken)
            rig.Flow.TakeBestOffset({0, 0, std::nullopt, 0, 3600, 0});
        rig.Host.TypeOffset(c.typed);
        EXPECT_EQ(rig.Flow.AutoOffsetBound(), c.bound) << c.max << " " << c.typed;
    }
}

TEST_F(FindAutoOffset, ATakenOffsetAnHourOffIsSetAndSearchedFromThenOn)
{
    // Three images an hour and 7 s after their shots, one 5 s after its shot.
    Fill(*this, {4607, 5607, 6607, 9005}, {1000, 2000, 3000, 9000});
    Flow.SetMaxOffset(kMaxWideOffset, kMaxOffset);
    auto report = Flow.FindAutoOffset();
    ASSERT_TRUE(report);
    EXPECT_EQ(std::tuple(report->Offset, report->Pairs, report->Best, report->BestPairs),
              std::tuple(5, 1u, 3607, 3u));
    EXPECT_TRUE(Flow.OffersBestOffset(*report));
    Flow.TakeBestOffset(*report);
    EXPECT_EQ(Host.OffsetValue(), 3607);
    EXPECT_EQ(Flow.Offset(), 3607);
    EXPECT_EQ(Host.Status, "Versatz 3607 s: 3 Bilder genau");

    Host.TypeOffset(5);
    report = Flow.FindAutoOffset();
    EXPECT_EQ(std::tuple(report->Offset, report->Best), std::tuple(3607, 3607));
    EXPECT_FALSE(Flow.OffersBestOffset(*report));

    // Nothing beyond the whole bound is offered: the command line's, or a day.
    Flow.SetMaxOffset(kMaxOffset);
    EXPECT_FALSE(Flow.OffersBestOffset({5, 1, std::nullopt, 0, 3607, 3}));
    Flow.SetMaxOffset(kMaxWideOffset, kMaxOffset);
    EXPECT_FALSE(Flow.OffersBestOffset({5, 1, std::nullopt, 0, kMaxWideOffset + 1, 3}));
    EXPECT_TRUE(Flow.OffersBestOffset({5, 1, std::nullopt, 0, -kMaxWideOffset, 3}));
}

TEST_F(FindAutoOffset, StatusTexts)
{
    struct Case {
        TAutoOffsetReport report;
        const char* text;
    } cases[] = {
        {{7, 23, 8, 2, 7}, "Versatz 7 s: 23 Bilder genau; nächstbester 8 s: 2"},
        {{-12, 1, std::nullopt, 0, -12}, "Versatz -12 s: 1 Bild genau"},
        {{300, 0, 3608, 2, 3607},
         "Bester Versatz +1 h 0 min 7 s liegt außerhalb des Bereichs – Zeitzone oder Sommerzeit "
         "der Kamera?"},
        {{-300, 0, std::nullopt, 0, -4000},
         "Bester Versatz -1 h 6 min 40 s liegt außerhalb des Bereichs – Zeitzone oder Sommerzeit "
         "der Kamera?"},
        {{300, 0, std::nullopt, 0, std::numeric_limits<std::int32_t>::min()},
         "Bester Versatz -596523 h 14 min 8 s liegt außerhalb des Bereichs – Zeitzone oder "
         "Sommerzeit der Kamera?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutoOffsetText(c.report), c.text);

    // Nothing found: no report, and no old one stays in the status line.
    Host.Status = "alt";
    EXPECT_EQ(Flow.FindAutoOffset(), std::nullopt);
    EXPECT_EQ(Host.Status, "");
}

TEST_F(FindAutoOffset, ItsReportGoesWhenTheOffsetOrToleranceChangesAndNoOtherDoes)
{
    Fill(*this, {100, 200, 300}, {95, 195, 290});
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { Host.TypeOffset(6); }, [&] { Host.SetToleranceValue(2); }}) {
        Flow.FindAutoOffset();
        ASSERT_EQ(Host.Status.rfind("Versatz 5 s: ", 0), 0u) << Host.Status;
        Host.SetToleranceValue(1);
        change();
        EXPECT_EQ(Host.Status, "");
    }
    Flow.ParseShotLog({"Zelmaro", "0801052103073,2"});
    const std::string logStatus = Host.Status;
    Host.TypeOffset(9);
    EXPECT_EQ(Host.Status, logStatus);
}
