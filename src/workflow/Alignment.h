#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// The name an image and a log entry are compared by: without folders (of
// either system) and extension, in lower case.
std::string NameKey(std::string_view fileName);

// Pairs images and log entries of the same NameKey, each once, the first
// free entry of a name going to the first image of it; no clock takes
// part. Rows in image order, then the entries left alone in log order.
std::vector<TAlignedRow> AlignByName(std::span<const std::string> imageNames,
                                     std::span<const std::string> shotNames);

// The frame number in an image's name: its last run of digits
// ("roll12_07.tif" is 7); none without digits.
std::optional<std::uint32_t> FrameInName(std::string_view fileName);

// Pairs frame N of the log with an image: by the number in the image's name
// where every name holds one, else with the image at N - firstFrame in
// name order. An entry without a frame number counts as the frame its
// place in the log gives (firstFrame, firstFrame + 1, ...). imageNames in
// name order; rows in it, then the entries left alone in log order.
std::vector<TAlignedRow> AlignByFrame(std::span<const std::string> imageNames,
                                      std::span<const std::optional<std::uint32_t>> shotFrames,
                                      std::uint32_t firstFrame);

namespace detail {
// AlignNearest keeping at most about stepBudget steps of its table at once
// (at the cost of working them out twice), for tests of small budgets.
std::vector<TAlignedRow> AlignNearest(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates, std::int32_t offset,
                                      std::int32_t tolerance, std::size_t stepBudget);
} // namespace detail

} // namespace zelmaro
