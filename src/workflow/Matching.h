#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace zelmaro {

// Positions of the closest image and shot.
struct TAnchor {
    std::size_t Image = 0;
    std::optional<std::size_t> Shot; // none when there are no shots
};

// The image and shot with the smallest TimeDistance under the offset; of equal
// distances the earliest image and, for it, the earliest shot wins. The dates
// are given in list order; imageDates must not be empty.
TAnchor FindAnchor(std::span<const std::uint32_t> imageDates,
                   std::span<const std::uint32_t> shotDates, std::int32_t offset);

// The most frequent signed difference of image and shot moments and the most
// frequent other one (of equally frequent ones the smallest), with their counts;
// when a range -MaxOffset..MaxOffset was asked for, also the two most
// frequent ones within it (see InRange).
struct TOffsetRanking {
    std::int32_t Best = 0;
    std::uint64_t BestCount = 0;
    std::optional<std::int32_t> RunnerUp; // none when all differences are equal
    std::uint64_t RunnerUpCount = 0;
    // Within the range, of equally frequent ones the nearest to 0 (of k and
    // -k, -k); none where no difference lies within it.
    struct TInRange {
        std::optional<std::int32_t> Best;
        std::uint64_t BestCount = 0;
        std::optional<std::int32_t> RunnerUp;
        std::uint64_t RunnerUpCount = 0;
        bool operator==(const TInRange&) const = default;
    };
    TInRange InRange;
    bool operator==(const TOffsetRanking&) const = default;
};

// The range -MaxOffset..MaxOffset an offset is chosen from; none ranks all alike.
using TOffsetRange = std::optional<std::int32_t>;

// The widest offset bound of the window: camera clocks a time zone or
// summer time off.
inline constexpr int kMaxWideOffset = 24 * 3600;

// What the automatic offset found: the offset it set (the best within the
// range), the exact pairs under it, the runner-up within the range with its
// pairs, and the best offset of all with its pairs, which differs from Offset
// only when an offset outside the range pairs strictly more.
struct TAutoOffsetReport {
    std::int32_t Offset = 0;
    std::uint64_t Pairs = 0;
    std::optional<std::int32_t> RunnerUp;
    std::uint64_t RunnerUpPairs = 0;
    std::int32_t Best = 0;
    std::uint64_t BestPairs = 0;
};

// The status line of a report ("Versatz 7 s: 23 Bilder genau; nächstbester
// 8 s: 2"); a best offset beyond the field's range is told in hours.
std::string AutoOffsetText(const TAutoOffsetReport& report);

// The ranking of BestAutoOffset, and within the range; nullopt when either
// list is empty.
std::optional<TOffsetRanking> RankAutoOffsets(std::span<const std::uint32_t> imageDates,
                                              std::span<const std::uint32_t> shotDates,
                                              TOffsetRange range = std::nullopt);

// The offset under which most image-shot pairs coincide exactly (the signed
// 32-bit difference of their moments that occurs most often; of equally
// frequent ones the smallest). nullopt when either list is empty. The time
// does not depend on how far the moments are spread.
std::optional<std::int32_t> BestAutoOffset(std::span<const std::uint32_t> imageDates,
                                           std::span<const std::uint32_t> shotDates);

// The ranking of the differences within -window..window only: Best and
// RunnerUp are the most frequent there, InRange within range (which should
// not exceed the window). Both lists are sorted and swept, so the work grows
// with the pairs inside the window, not with all pairs. keepGoing, where
// given, is asked every few million pairs; nullopt when it answered false
// or either list is empty. window must not be negative.
std::optional<TOffsetRanking> RankOffsetsWithin(std::span<const std::uint32_t> imageDates,
                                                std::span<const std::uint32_t> shotDates,
                                                std::int32_t window, TOffsetRange range,
                                                const std::function<bool()>& keepGoing = {});
// How many image-shot pairs differ by at most window seconds.
std::uint64_t PairsWithin(std::span<const std::uint32_t> imageDates,
                          std::span<const std::uint32_t> shotDates, std::int32_t window);

// The ways RankAutoOffsets ranks the differences; the smallest of equally
// frequent ones wins. All take non-empty lists.
namespace detail {
// Spreads of at most this many seconds are always counted in an array.
inline constexpr std::uint64_t kCountingSpan = 1u << 17;
// Wider spreads are counted while the array is no larger than the pairs.
inline constexpr std::uint64_t kMaxCountingSpan = 1u << 22;
// Up to this many pairs the differences are sorted, beyond they are merged.
inline constexpr std::uint64_t kMaxSortedPairs = 1u << 25;
} // namespace detail

// Counts in an array spanning minDiff .. minDiff + span - 1, which must hold
// every difference.
TOffsetRanking MostFrequentByCounting(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates,
                                      std::int32_t minDiff, std::size_t span,
                                      TOffsetRange range = std::nullopt);
// Sorts all differences: memory for two copies of them.
TOffsetRanking MostFrequentBySorting(std::span<const std::uint32_t> imageDates,
                                     std::span<const std::uint32_t> shotDates,
                                     TOffsetRange range = std::nullopt);
// Each image's differences against the sorted shots form at most three
// descending runs; merging the runs visits all differences in order with
// memory for the runs only.
TOffsetRanking MostFrequentByMerging(std::span<const std::uint32_t> imageDates,
                                     std::span<const std::uint32_t> shotDates,
                                     TOffsetRange range = std::nullopt);

} // namespace zelmaro
