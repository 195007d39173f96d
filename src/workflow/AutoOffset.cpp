#include "CursorGuard.h"
#include "Matching.h"
#include "Workflow.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <vector>

namespace zelmaro {

namespace {

// The pairs coincide under offset k exactly when k is their signed 32-bit
// difference, so the best offset is the most frequent difference.

// Counts every difference in an array spanning minDiff..minDiff+span-1.
std::int32_t MostFrequentByCounting(std::span<const std::uint32_t> imageDates,
                                    std::span<const std::uint32_t> shotDates,
                                    std::int32_t minDiff, std::size_t span)
{
    std::vector<std::uint32_t> counts(span, 0);
    const std::uint32_t base = static_cast<std::uint32_t>(minDiff);
    for (std::uint32_t image : imageDates) {
        const std::uint32_t shiftedImage = image - base;
        for (std::uint32_t shot : shotDates)
            ++counts[shiftedImage - shot];
    }
    const auto best = std::max_element(counts.begin(), counts.end()); // first of equals
    return static_cast<std::int32_t>(base + static_cast<std::uint32_t>(best - counts.begin()));
}

// For wide spreads: each image's differences against the sorted shots fall
// into at most three descending runs; merging all runs visits the differences
// in ascending order with memory for the runs only.
std::int32_t MostFrequentByMerging(std::span<const std::uint32_t> imageDates,
                                   std::span<const std::uint32_t> shotDates)
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

    std::int32_t best = 0;
    std::uint64_t bestCount = 0;
    std::int32_t current = 0;
    std::uint64_t currentCount = 0;
    while (!heap.empty()) {
        const auto [value, r] = heap.top();
        heap.pop();
        if (currentCount == 0 || value != current) {
            current = value;
            currentCount = 0;
        }
        if (++currentCount > bestCount) {
            bestCount = currentCount;
            best = current;
        }
        Run& run = runs[r];
        if (run.Next > run.First) {
            --run.Next;
            heap.push({diff(run.Image, run.Next), r});
        }
    }
    return best;
}

} // namespace

std::optional<std::int32_t> BestAutoOffset(std::span<const std::uint32_t> imageDates,
                                           std::span<const std::uint32_t> shotDates)
{
    if (imageDates.empty() || shotDates.empty())
        return std::nullopt;
    std::int32_t minDiff = std::numeric_limits<std::int32_t>::max();
    std::int32_t maxDiff = std::numeric_limits<std::int32_t>::min();
    for (std::uint32_t image : imageDates) {
        for (std::uint32_t shot : shotDates) {
            const auto d = static_cast<std::int32_t>(image - shot);
            minDiff = std::min(minDiff, d);
            maxDiff = std::max(maxDiff, d);
        }
    }
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(maxDiff) -
                                                          static_cast<std::int64_t>(minDiff)) +
                               1;
    const std::uint64_t pairs = static_cast<std::uint64_t>(imageDates.size()) * shotDates.size();
    const std::uint64_t countingLimit = std::clamp<std::uint64_t>(4 * pairs, 1u << 16, 1u << 24);
    if (span <= countingLimit)
        return MostFrequentByCounting(imageDates, shotDates, minDiff,
                                      static_cast<std::size_t>(span));
    return MostFrequentByMerging(imageDates, shotDates);
}

void TWorkflow::FindAutoOffset()
{
    TCursorGuard cursor(FHost, TCursorKind::crHourGlass, TCursorKind::crDefault);
    std::vector<std::uint32_t> imageDates;
    imageDates.reserve(FImages.size());
    for (const TImageItem& image : FImages)
        imageDates.push_back(image.Date);
    std::vector<std::uint32_t> shotDates;
    shotDates.reserve(FShots.size());
    for (const TShotItem& shot : FShots)
        shotDates.push_back(shot.Date);

    if (const auto best = BestAutoOffset(imageDates, shotDates))
        FHost.SetOffsetValue(*best); // the field clamps and rematches
    else
        FHost.ShowInfo("Keine Übereinstimmung gefunden!", kAppCaption);
}

} // namespace zelmaro
