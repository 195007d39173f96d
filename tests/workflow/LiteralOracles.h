#pragma once

// The matching and the automatic offset written as plainly as they are
// described: every image against every shot, every candidate offset one by
// one. Slow, but the reference the fast versions must agree with.

#include "workflow/Records.h"

#include <cstdint>
#include <deque>
#include <iterator>
#include <optional>
#include <vector>

namespace zelmaro::testing {

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

// images and shots: the workflow's record ranges, in time order.
inline std::vector<TMatchItem> LiteralMatchAll(const auto& images, const auto& shots,
                                               std::int32_t offset, int tolerance)
{
    if (images.empty())
        return {};
    auto anchorImage = images.begin();
    auto anchorShot = shots.begin();
    if (!shots.empty()) {
        std::uint32_t best = TimeDistance(images.front().Date, shots.front().Date, offset);
        for (auto i = images.begin(); i != images.end(); ++i) {
            for (auto s = shots.begin(); s != shots.end(); ++s) {
                const std::uint32_t d = TimeDistance((*i).Date, (*s).Date, offset);
                if (d < best) {
                    best = d;
                    anchorImage = i;
                    anchorShot = s;
                }
            }
        }
    }
    const bool haveShot = !shots.empty();
    std::deque<TMatchItem> rows;
    rows.push_back(
        LiteralMakeMatch(&*anchorImage, haveShot ? &*anchorShot : nullptr, offset, tolerance));
    // Walk backwards.
    {
        const TImageItem* image = nullptr;
        auto i = anchorImage;
        if (i != images.begin())
            image = &*--i;
        const TShotItem* shot = nullptr;
        auto s = anchorShot;
        if (haveShot && s != shots.begin())
            shot = &*--s;
        while (image || shot) {
            rows.push_front(LiteralMakeMatch(image, shot, offset, tolerance));
            if (image)
                image = i == images.begin() ? nullptr : &*--i;
            if (shot)
                shot = s == shots.begin() ? nullptr : &*--s;
        }
    }
    // Walk forwards.
    {
        auto i = std::next(anchorImage);
        const TImageItem* image = i != images.end() ? &*i : nullptr;
        auto s = haveShot ? std::next(anchorShot) : shots.end();
        const TShotItem* shot = s != shots.end() ? &*s : nullptr;
        while (image || shot) {
            rows.push_back(LiteralMakeMatch(image, shot, offset, tolerance));
            if (image)
                image = ++i != images.end() ? &*i : nullptr;
            if (shot)
                shot = ++s != shots.end() ? &*s : nullptr;
        }
    }
    return {rows.begin(), rows.end()};
}

inline std::optional<std::int32_t> LiteralAutoOffset(const auto& images, const auto& shots)
{
    std::int32_t lo = 3000000;
    std::int32_t hi = -3000000;
    for (const TImageItem& i : images) {
        for (const TShotItem& s : shots) {
            const auto diff = static_cast<std::int32_t>(i.Date - s.Date);
            if (diff < lo)
                lo = diff;
            if (diff > hi)
                hi = diff;
        }
    }
    std::int64_t best = static_cast<std::int64_t>(lo) - 1;
    int bestCount = 0;
    if (hi >= lo) {
        for (std::int64_t k = lo; k <= hi; ++k) {
            int count = 0;
            for (const TImageItem& i : images) {
                for (const TShotItem& s : shots) {
                    if (TimeDistance(i.Date, s.Date, static_cast<std::int32_t>(k)) == 0)
                        ++count;
                }
            }
            if (count > bestCount) {
                best = k;
                bestCount = count;
            }
        }
    }
    if (best < lo)
        return std::nullopt;
    return static_cast<std::int32_t>(best);
}

} // namespace zelmaro::testing
