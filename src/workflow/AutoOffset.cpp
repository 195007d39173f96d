#include "support/Messages.h"
#include "workflow/Matching.h"
#include "workflow/OperationScope.h"
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

// From this many pairs within the window on, the search shows a progress
// window and hears a cancel.
constexpr std::uint64_t kLongSearchPairs = std::uint64_t{1} << 24;

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

namespace {

// Both lists in ascending order as signed moments, the shots also a full
// turn of the 32-bit seconds below and above where that brings them within
// the window of an image: the signed 32-bit difference of an image and a
// shot within the window is then a plain difference, found by one sweep.
class TSortedMoments {
public:
    TSortedMoments(std::span<const std::uint32_t> imageDates,
                   std::span<const std::uint32_t> shotDates, std::int64_t window)
        : FImages(imageDates.begin(), imageDates.end())
    {
        std::sort(FImages.begin(), FImages.end());
        std::vector<std::uint32_t> shots(shotDates.begin(), shotDates.end());
        std::sort(shots.begin(), shots.end());
        constexpr std::int64_t kTurn = std::int64_t{1} << 32;
        const std::int64_t low = FImages.empty() ? 0 : FImages.front() - window;
        const std::int64_t high = FImages.empty() ? 0 : FImages.back() + window;
        FShots.reserve(shots.size());
        for (std::uint32_t shot : shots) {
            if (shot - kTurn >= low)
                FShots.push_back(shot - kTurn);
        }
        FShots.insert(FShots.end(), shots.begin(), shots.end());
        for (std::uint32_t shot : shots) {
            if (shot + kTurn > high)
                break;
            FShots.push_back(shot + kTurn);
        }
    }

    bool Empty() const { return FImages.empty() || FShots.empty(); }
    std::int64_t LowestDifference() const { return FImages.front() - FShots.back(); }
    std::int64_t HighestDifference() const { return FImages.back() - FShots.front(); }

    // Calls visit(image, first, last) for every image with the shots
    // first..last-1 whose difference to it lies within low..high; false
    // when visit did.
    template <class TVisit> bool Sweep(std::int64_t low, std::int64_t high, TVisit visit) const
    {
        std::size_t first = 0;
        std::size_t last = 0;
        for (std::int64_t image : FImages) {
            while (first < FShots.size() && FShots[first] < image - high)
                ++first;
            last = std::max(last, first);
            while (last < FShots.size() && FShots[last] <= image - low)
                ++last;
            if (!visit(image, first, last))
                return false;
        }
        return true;
    }
    std::int64_t Shot(std::size_t k) const { return FShots[k]; }

private:
    std::vector<std::int64_t> FImages;
    std::vector<std::int64_t> FShots;
};

// Differences are counted this many at a time, so that even the widest
// window needs no more than 8 MB of counts.
constexpr std::int64_t kCountChunk = std::int64_t{1} << 20;
// The caller hears of the search after about this many pairs.
constexpr std::uint64_t kPairsBetweenChecks = std::uint64_t{1} << 22;

} // namespace

std::uint64_t PairsWithin(std::span<const std::uint32_t> imageDates,
                          std::span<const std::uint32_t> shotDates, std::int32_t window)
{
    const TSortedMoments moments(imageDates, shotDates, window);
    std::uint64_t pairs = 0;
    moments.Sweep(-std::int64_t{window}, window,
                  [&](std::int64_t, std::size_t first, std::size_t last) {
                      pairs += last - first;
                      return true;
                  });
    return pairs;
}

std::optional<TOffsetRanking> RankOffsetsWithin(std::span<const std::uint32_t> imageDates,
                                                std::span<const std::uint32_t> shotDates,
                                                std::int32_t window, TOffsetRange range,
                                                const std::function<bool()>& keepGoing)
{
    const TSortedMoments moments(imageDates, shotDates, window);
    if (moments.Empty())
        return std::nullopt;
    const std::int64_t lowest =
        std::max<std::int64_t>(-std::int64_t{window}, moments.LowestDifference());
    const std::int64_t highest = std::min<std::int64_t>(window, moments.HighestDifference());
    TRankingBuilder ranking(range);
    std::uint64_t sinceCheck = 0;
    const auto heard = [&](std::uint64_t pairs) {
        sinceCheck += pairs;
        if (sinceCheck < kPairsBetweenChecks)
            return true;
        sinceCheck = 0;
        return !keepGoing || keepGoing();
    };
    std::vector<std::uint64_t> counts;
    std::vector<std::int64_t> differences;
    // Chunk by chunk in ascending order, as the ranking takes them: counted
    // in an array where they are dense, sorted where they are few.
    for (std::int64_t low = lowest; low <= highest; low += kCountChunk) {
        const std::int64_t high = std::min(highest, low + kCountChunk - 1);
        const auto width = static_cast<std::size_t>(high - low + 1);
        std::uint64_t pairs = 0;
        moments.Sweep(low, high, [&](std::int64_t, std::size_t first, std::size_t last) {
            pairs += last - first;
            return true;
        });
        if (pairs == 0)
            continue;
        bool finished = true;
        if (pairs * 8 < width) {
            differences.clear();
            moments.Sweep(low, high, [&](std::int64_t image, std::size_t first, std::size_t last) {
                for (std::size_t k = first; k < last; ++k)
                    differences.push_back(image - moments.Shot(k));
                return true;
            });
            std::sort(differences.begin(), differences.end());
            for (std::size_t a = 0; a < differences.size();) {
                std::size_t b = a + 1;
                while (b < differences.size() && differences[b] == differences[a])
                    ++b;
                ranking.Add(static_cast<std::int32_t>(differences[a]), b - a);
                a = b;
            }
            finished = heard(pairs);
        } else {
            counts.assign(width, 0);
            finished = moments.Sweep(
                low, high, [&](std::int64_t image, std::size_t first, std::size_t last) {
                    const std::int64_t base = image - low;
                    for (std::size_t k = first; k < last; ++k)
                        ++counts[static_cast<std::size_t>(base - moments.Shot(k))];
                    return heard(last - first);
                });
            for (std::size_t k = 0; finished && k < width; ++k) {
                if (counts[k] != 0)
                    ranking.Add(static_cast<std::int32_t>(low + static_cast<std::int64_t>(k)),
                                counts[k]);
            }
        }
        if (!finished)
            return std::nullopt;
    }
    if (keepGoing && !keepGoing())
        return std::nullopt;
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
        return Fill(Tr("Bester Versatz %1 liegt außerhalb des Bereichs – Zeitzone oder "
                       "Sommerzeit der Kamera?"),
                    HoursMinutesSeconds(report.Best));
    std::string text =
        Fill(TrN("Versatz %1: %2 Bild genau", "Versatz %1: %2 Bilder genau", report.Pairs),
             Seconds(report.Offset), report.Pairs);
    if (report.RunnerUp)
        text = Fill(Tr("%1; nächstbester %2: %3"), text, Seconds(*report.RunnerUp),
                    report.RunnerUpPairs);
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

    if (imageDates.empty() || shotDates.empty()) {
        ShowStatus("");
        FHost.ShowInfo(Tr("Keine Übereinstimmung gefunden!"), kAppCaption);
        return std::nullopt;
    }
    // Beyond the range, a better offset is looked for as far as a camera's
    // time zone or summer time can put it, or the bound reaches.
    const std::int32_t range = AutoOffsetBound();
    const std::int32_t window = std::max(range, kMaxWideOffset);
    std::optional<TOffsetRanking> ranking;
    if (PairsWithin(imageDates, shotDates, window) < kLongSearchPairs) {
        ranking = RankOffsetsWithin(imageDates, shotDates, window, range);
    } else {
        // Long enough to be watched and cancelled.
        const TOperationScope operation(FHost, FProgress);
        if (FProgress) {
            FProgress->SetFirstCaption(Tr("Suche Versatz für:"));
            FProgress->SetDirectory(FImagesDirectory);
            FProgress->ShowNow();
        }
        ranking = RankOffsetsWithin(imageDates, shotDates, window, range, [this] {
            FHost.ProcessPendingEvents();
            return !FHost.CancelRequested();
        });
    }
    if (!ranking) {
        ShowStatus(Tr("Suche nach dem Versatz abgebrochen."));
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
