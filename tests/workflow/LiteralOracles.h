#pragma once

// The matching and the automatic offset written as plainly as they are
// described: every image against every shot, every candidate offset one by
// one. Slow, but the reference the fast versions must agree with.

#include "workflow/Records.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

namespace zelmaro::test {

inline TMatchItem LiteralMakeMatch(const TImageItem* image, const TShotItem* shot,
                                   std::int32_t offset, int tolerance)
{
    TMatchItem item{image, shot, TMatchState::msNone, TMatchState::msNone};
    if (!image || !shot)
        return item;
    const std::int64_t d = TimeDistance(image->Date, shot->Date, offset);
    item.TimeState = d <= tolerance       ? TMatchState::msEqual
                     : d <= tolerance + 5 ? TMatchState::msNear
                                          : TMatchState::msDifferent;
    item.ExposureState = ExposureTimesEqual(image->ExposureTime, shot->ExposureTime)
                             ? TMatchState::msEqual
                             : TMatchState::msDifferent;
    return item;
}

// images and shots: the workflow's record ranges, in time order. From the
// nearest image-shot pair, the k-th row before or after it pairs the k-th
// image and the k-th shot before or after the pair, as far as either reaches.
inline std::vector<TMatchItem> LiteralMatchAll(const auto& images, const auto& shots,
                                               std::int32_t offset, int tolerance)
{
    std::vector<const TImageItem*> is;
    for (const TImageItem& i : images)
        is.push_back(&i);
    std::vector<const TShotItem*> ss;
    for (const TShotItem& s : shots)
        ss.push_back(&s);
    if (is.empty())
        return {};
    std::ptrdiff_t anchorImage = 0, anchorShot = 0;
    if (!ss.empty()) {
        std::uint32_t best = TimeDistance(is[0]->Date, ss[0]->Date, offset);
        for (std::size_t i = 0; i < is.size(); ++i) {
            for (std::size_t s = 0; s < ss.size(); ++s) {
                const std::uint32_t d = TimeDistance(is[i]->Date, ss[s]->Date, offset);
                if (d < best) {
                    best = d;
                    anchorImage = static_cast<std::ptrdiff_t>(i);
                    anchorShot = static_cast<std::ptrdiff_t>(s);
                }
            }
        }
    }
    auto at = [](const auto& list, std::ptrdiff_t k) {
        return k >= 0 && k < std::ssize(list) ? list[static_cast<std::size_t>(k)] : nullptr;
    };
    std::vector<TMatchItem> rows;
    for (std::ptrdiff_t k = -std::max(anchorImage, anchorShot);
         at(is, anchorImage + k) || at(ss, anchorShot + k); ++k)
        rows.push_back(
            LiteralMakeMatch(at(is, anchorImage + k), at(ss, anchorShot + k), offset, tolerance));
    return rows;
}

// images and shots: moments in any order.
inline std::optional<std::int32_t> LiteralAutoOffset(std::span<const std::uint32_t> images,
                                                     std::span<const std::uint32_t> shots)
{
    std::int32_t lo = 3000000;
    std::int32_t hi = -3000000;
    for (std::uint32_t i : images) {
        for (std::uint32_t s : shots) {
            lo = std::min(lo, static_cast<std::int32_t>(i - s));
            hi = std::max(hi, static_cast<std::int32_t>(i - s));
        }
    }
    std::int64_t best = static_cast<std::int64_t>(lo) - 1;
    int bestCount = 0;
    for (std::int64_t k = lo; k <= hi; ++k) {
        int count = 0;
        for (std::uint32_t i : images)
            for (std::uint32_t s : shots)
                count += TimeDistance(i, s, static_cast<std::int32_t>(k)) == 0;
        if (count > bestCount) {
            best = k;
            bestCount = count;
        }
    }
    if (best < lo)
        return std::nullopt;
    return static_cast<std::int32_t>(best);
}

} // namespace zelmaro::test
