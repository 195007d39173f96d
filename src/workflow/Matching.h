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

} // namespace zelmaro
