#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

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

// The offset under which most image-shot pairs coincide exactly (the signed
// 32-bit difference of their moments that occurs most often; of equally
// frequent ones the smallest). nullopt when either list is empty. The time
// does not depend on how far the moments are spread.
std::optional<std::int32_t> BestAutoOffset(std::span<const std::uint32_t> imageDates,
                                           std::span<const std::uint32_t> shotDates);

// The ways BestAutoOffset finds the most frequent difference; the smallest of
// equally frequent ones wins. All take non-empty lists.
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
std::int32_t MostFrequentByCounting(std::span<const std::uint32_t> imageDates,
                                    std::span<const std::uint32_t> shotDates, std::int32_t minDiff,
                                    std::size_t span);
// Sorts all differences: memory for two copies of them.
std::int32_t MostFrequentBySorting(std::span<const std::uint32_t> imageDates,
                                   std::span<const std::uint32_t> shotDates);
// Each image's differences against the sorted shots form at most three
// descending runs; merging the runs visits all differences in order with
// memory for the runs only.
std::int32_t MostFrequentByMerging(std::span<const std::uint32_t> imageDates,
                                   std::span<const std::uint32_t> shotDates);

} // namespace zelmaro
