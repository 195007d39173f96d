#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zelmaro {

// One row of an alignment: positions of an image, a shot or both.
struct TAlignedRow {
    std::optional<std::size_t> Image;
    std::optional<std::size_t> Shot;
    bool operator==(const TAlignedRow&) const = default;
};

// Pairs images and shots one to one, keeping both in time order, so that the
// sum of the pairs' distances under the offset plus tolerance + 6 for every
// image or shot left alone is least; only images and shots at most
// tolerance + 5 apart can pair. Both lists must be in ascending order. The
// rows are in time order; every image and every shot is in exactly one.
// Work and memory grow with the pairs that are possible, not with the square.
std::vector<TAlignedRow> AlignNearest(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates, std::int32_t offset,
                                      std::int32_t tolerance);

namespace detail {
// AlignNearest keeping at most about stepBudget steps of its table at once
// (at the cost of working them out twice), for tests of small budgets.
std::vector<TAlignedRow> AlignNearest(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates, std::int32_t offset,
                                      std::int32_t tolerance, std::size_t stepBudget);
} // namespace detail

} // namespace zelmaro
