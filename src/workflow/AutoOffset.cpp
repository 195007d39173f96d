#include "workflow/Matching.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <vector>

namespace zelmaro {

using detail::kCountingSpan;
using detail::kMaxCountingSpan;
using detail::kMaxSortedPairs;

// The pairs coincide under offset k exactly when k is their signed 32-bit
// difference, so the best offset is the most frequent difference.

namespace {

// Takes differences with their counts in ascending order of difference;
// strict comparisons keep the smallest of equally frequent ones. Within the
// range the nearest to 0 wins a tie; of k and -k that is -k, which comes first,
// as the smaller did before there was a range.
class TRankingBuilder {
public:
    explicit TRankingBuilder(TOffsetRange range) : FRange(range) {}

    void Add(std::int32_t difference, std::uint64_t count)
    {
        if (count > FRanking.BestCount) {
            if (FRanking.BestCount > 0) {
                FRanking.RunnerUp = FRanking.Best;
                FRanking.RunnerUpCount = FRanking.BestCount;
            }
            FRanking.Best = difference;
            FRanking.BestCount = count;
        } else if (count > FRanking.RunnerUpCount) {
            FRanking.RunnerUp = difference;
            FRanking.RunnerUpCount = count;
        }
        if (FRange && Magnitude(difference) <= *FRange) {
            TOffsetRanking::TInRange& in = FRanking.InRange;
            if (Beats(difference, count, in.Best, in.BestCount)) {
                in.RunnerUp = in.Best;
                in.RunnerUpCount = in.BestCount;
                in.Best = difference;
                in.BestCount = count;
            } else if (Beats(difference, count, in.RunnerUp, in.RunnerUpCount)) {
                in.RunnerUp = difference;
                in.RunnerUpCount = count;
            }
        }
    }
    const TOffsetRanking& Ranking() const { return FRanking; }

private:
    static std::int64_t Magnitude(std::int32_t difference)
    {
        return difference < 0 ? -static_cast<std::int64_t>(difference) : difference;
    }
    static bool Beats(std::int32_t difference, std::uint64_t count,
                      std::optional<std::int32_t> other, std::uint64_t otherCount)
    {
        return !other || count > otherCount ||
               (count == otherCount && Magnitude(difference) < Magnitude(*other));
    }

    TOffsetRange FRange;
    TOffsetRanking FRanking;
};

} // namespace

TOffsetRanking MostFrequentByCounting(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates,
                                      std::int32_t minDiff, std::size_t span, TOffsetRange range)
{
    std::vector<std::uint32_t> counts(span, 0);
    const std::uint32_t base = static_cast<std::uint32_t>(minDiff);
    for (std::uint32_t image : imageDates) {
        const std::uint32_t shiftedImage = image - base;
        for (std::uint32_t shot : shotDates)
            ++counts[shiftedImage - shot];
    }
    TRankingBuilder ranking(range);
    for (std::size_t k = 0; k < span; ++k) {
        if (counts[k] != 0)
            ranking.Add(static_cast<std::int32_t>(base + static_cast<std::uint32_t>(k)), counts[k]);
    }
    return ranking.Ranking();
}

TOffsetRanking MostFrequentBySorting(std::span<const std::uint32_t> imageDates,
                                     std::span<const std::uint32_t> shotDates, TOffsetRange range)
{
    // Keys that sort like the signed differences; three 11-bit radix passes
    // whose counts stay in the first-level cache.
    constexpr std::uint32_t kSignFlip = 0x80000000u;
    constexpr int kBits = 11;
    constexpr std::uint32_t kMask = (1u << kBits) - 1;
    const std::size_t count = imageDates.size() * shotDates.size();
    std::vector<std::uint32_t> keys(count);
    std::vector<std::uint32_t> buffer(count);
    std::uint32_t histogram[3][kMask + 2] = {};
    std::size_t k = 0;
    for (std::uint32_t image : imageDates) {
        const std::uint32_t flipped = image ^ kSignFlip;
        for (std::uint32_t shot : shotDates) {
            const std::uint32_t key = flipped - shot;
            keys[k++] = key;
            ++histogram[0][(key & kMask) + 1];
            ++histogram[1][((key >> kBits) & kMask) + 1];
            ++histogram[2][(key >> (2 * kBits)) + 1];
        }
    }
    for (auto& h : histogram) {
        for (std::size_t b = 1; b < kMask + 2; ++b)
            h[b] += h[b - 1];
    }
    for (int pass = 0; pass < 3; ++pass) {
        std::uint32_t* position = histogram[pass];
        const int shift = pass * kBits;
        for (std::uint32_t key : keys)
            buffer[position[(key >> shift) & kMask]++] = key;
        keys.swap(buffer);
    }

    TRankingBuilder ranking(range);
    for (std::size_t a = 0; a < count;) {
        std::size_t b = a + 1;
        while (b < count && keys[b] == keys[a])
            ++b;
        ranking.Add(static_cast<std::int32_t>(keys[a] ^ kSignFlip), b - a);
        a = b;
    }
    return ranking.Ranking();
}

TOffsetRanking MostFrequentByMerging(std::span<const std::uint32_t> imageDates,
                                     std::span<const std::uint32_t> shotDates, TOffsetRange range)
{
    std::vector<std::uint32_t> shots(shotDates.begin(), shotDates.end());
    std::sort(shots.begin(), shots.end());
    const auto diff = [&](std::uint32_t image, std::size_t j) {
        return static_cast<std::int32_t>(image - shots[j]);
    };

    struct Run {
        std::uint32_t Image;
        std::size_t First; // the run covers First..Next, walked downwards
        std::size_t Next;
    };
    std::vector<Run> runs;
    for (std::uint32_t image : imageDates) {
        std::size_t first = 0;
        for (std::size_t j = 1; j <= shots.size(); ++j) {
            if (j == shots.size() || diff(image, j) > diff(image, j - 1)) {
                runs.push_back({image, first, j - 1});
                first = j;
            }
        }
    }

    using Entry = std::pair<std::int32_t, std::size_t>; // difference, run
    std::vector<Entry> heapStore;
    heapStore.reserve(runs.size());
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> heap(std::greater<>(),
                                                                        std::move(heapStore));
    for (std::size_t r = 0; r < runs.size(); ++r)
        heap.push({diff(runs[r].Image, runs[r].Next), r});

    TRankingBuilder ranking(range);
    std::int32_t current = 0;
    std::uint64_t currentCount = 0;
    while (!heap.empty()) {
        const auto [value, r] = heap.top();
        heap.pop();
        if (currentCount > 0 && value != current) {
            ranking.Add(current, currentCount);
            currentCount = 0;
        }
        current = value;
        ++currentCount;
        Run& run = runs[r];
        if (run.Next > run.First) {
            --run.Next;
            heap.push({diff(run.Image, run.Next), r});
        }
    }
    ranking.Add(current, currentCount);
    return ranking.Ranking();
}

std::optional<std::int32_t> BestAutoOffset(std::span<const std::uint32_t> imageDates,
                                           std::span<const std::uint32_t> shotDates)
{
    if (const auto ranking = RankAutoOffsets(imageDates, shotDates))
        return ranking->Best;
    return std::nullopt;
}

std::optional<TOffsetRanking> RankAutoOffsets(std::span<const std::uint32_t> imageDates,
                                              std::span<const std::uint32_t> shotDates,
                                              TOffsetRange range)
{
    if (imageDates.empty() || shotDates.empty())
        return std::nullopt;
    const auto [minImage, maxImage] = std::minmax_element(imageDates.begin(), imageDates.end());
    const auto [minShot, maxShot] = std::minmax_element(shotDates.begin(), shotDates.end());
    const std::int64_t lowest = static_cast<std::int64_t>(*minImage) - *maxShot;
    const std::int64_t highest = static_cast<std::int64_t>(*maxImage) - *minShot;
    std::int32_t minDiff = std::numeric_limits<std::int32_t>::max();
    std::int32_t maxDiff = std::numeric_limits<std::int32_t>::min();
    if (lowest >= std::numeric_limits<std::int32_t>::min() &&
        highest <= std::numeric_limits<std::int32_t>::max()) {
        // No difference wraps: the extremes are those of the moments.
        minDiff = static_cast<std::int32_t>(lowest);
        maxDiff = static_cast<std::int32_t>(highest);
    } else {
        for (std::uint32_t image : imageDates) {
            for (std::uint32_t shot : shotDates) {
                const auto d = static_cast<std::int32_t>(image - shot);
                minDiff = std::min(minDiff, d);
                maxDiff = std::max(maxDiff, d);
            }
        }
    }
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(maxDiff) -
                                                          static_cast<std::int64_t>(minDiff)) +
                               1;
    const std::uint64_t pairs = static_cast<std::uint64_t>(imageDates.size()) * shotDates.size();
    // An array of counts for narrow spreads (a night's shooting); sorting all
    // differences when the spread is wide; merging when even the differences
    // would take too much memory. None of them depends on the spread.
    if (span <= std::max<std::uint64_t>(kCountingSpan, std::min(pairs, kMaxCountingSpan)))
        return MostFrequentByCounting(imageDates, shotDates, minDiff,
                                      static_cast<std::size_t>(span), range);
    if (pairs <= kMaxSortedPairs)
        return MostFrequentBySorting(imageDates, shotDates, range);
    return MostFrequentByMerging(imageDates, shotDates, range);
}

namespace {

std::string Seconds(std::int64_t seconds)
{
    return std::to_string(seconds) + " s";
}

// "+1 h 0 min 7 s"
std::string HoursMinutesSeconds(std::int64_t seconds)
{
    const std::int64_t size = seconds < 0 ? -seconds : seconds;
    return (seconds < 0 ? "-" : "+") + std::to_string(size / 3600) + " h " +
           std::to_string(size / 60 % 60) + " min " + Seconds(size % 60);
}

} // namespace

std::string AutoOffsetText(const TAutoOffsetReport& report)
{
    if (report.Offset != report.Best)
        return "Bester Versatz " + HoursMinutesSeconds(report.Best) +
               " liegt außerhalb des Bereichs – Zeitzone oder Sommerzeit der Kamera?";
    std::string text = "Versatz " + Seconds(report.Offset) + ": " + std::to_string(report.Pairs) +
                       (report.Pairs == 1 ? " Bild" : " Bilder") + " genau";
    if (report.RunnerUp)
        text += "; nächstbester " + Seconds(*report.RunnerUp) + ": " +
                std::to_string(report.RunnerUpPairs);
    return text;
}

std::optional<TAutoOffsetReport> TWorkflow::FindAutoOffset()
{
    std::vector<std::uint32_t> imageDates;
    imageDates.reserve(FImages.size());
    for (const auto& [date, image] : FImages)
        imageDates.push_back(image.Date);
    std::vector<std::uint32_t> shotDates;
    shotDates.reserve(FShots.size());
    for (const auto& [date, shot] : FShots)
        shotDates.push_back(shot.Date);

    const auto ranking = RankAutoOffsets(imageDates, shotDates, AutoOffsetBound());
    if (!ranking) {
        ShowStatus("");
        FHost.ShowInfo("Keine Übereinstimmung gefunden!", kAppCaption);
        return std::nullopt;
    }
    // The best offset inside the range: one outside brought to the bound
    // would pair next to nothing. 0 when nothing pairs inside.
    TAutoOffsetReport report;
    report.Offset = ranking->InRange.Best.value_or(0);
    report.Pairs = ranking->InRange.BestCount;
    report.RunnerUp = ranking->InRange.RunnerUp;
    report.RunnerUpPairs = ranking->InRange.RunnerUpCount;
    // Outside the range only one that pairs more is worth a word.
    const bool beyond = ranking->BestCount > report.Pairs;
    report.Best = beyond ? ranking->Best : report.Offset;
    report.BestPairs = beyond ? ranking->BestCount : report.Pairs;
    SetOffset(report.Offset);
    ShowStatus(AutoOffsetText(report), true);
    return report;
}

int TWorkflow::AutoOffsetBound() const
{
    const std::int64_t offset = FOffset;
    if (FWiderOffsetTaken || offset < -FSearchOffset || offset > FSearchOffset)
        return FMaxOffset;
    return std::min(FSearchOffset, FMaxOffset);
}

bool TWorkflow::OffersBestOffset(const TAutoOffsetReport& report) const
{
    const std::int64_t best = report.Best;
    return report.Best != report.Offset && best >= -FMaxOffset && best <= FMaxOffset;
}

void TWorkflow::TakeBestOffset(const TAutoOffsetReport& report)
{
    FWiderOffsetTaken = true;
    SetOffset(report.Best);
    FHost.ShowStatus(AutoOffsetText(
        {report.Best, report.BestPairs, std::nullopt, 0, report.Best, report.BestPairs}));
}

} // namespace zelmaro
