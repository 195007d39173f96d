#include "workflow/Alignment.h"

#include <algorithm>
#include <cstdlib>

namespace zelmaro {

namespace {

enum TStep : std::uint8_t { stPair, stImageAlone, stShotAlone };

// The shots image i can pair with: Lo .. Hi - 1; First indexes their steps.
struct TBand {
    std::size_t Lo = 0;
    std::size_t Hi = 0;
    std::size_t First = 0;
};

} // namespace

std::vector<TAlignedRow> AlignNearest(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates, std::int32_t offset,
                                      std::int32_t tolerance)
{
    const std::size_t n = imageDates.size();
    const std::size_t m = shotDates.size();
    // Moments without wrapping, so that the shifted shots stay in order.
    const std::int64_t reach = std::max<std::int64_t>(std::int64_t{tolerance} + 5, -1);
    const std::int64_t gap = reach + 1;
    const auto shot = [&](std::size_t j) { return std::int64_t{shotDates[j]} + offset; };

    // Least cost = gap * (n + m) minus the largest saving, where a pair saves
    // 2 * gap - its distance (always more than nothing). saving[j] is the
    // largest saving of the images so far with the first j shots; past
    // "known" it equals saving[known]. Outside an image's band its row
    // equals the one before (left of the band) or its own band's end (right).
    std::vector<std::int64_t> saving(m + 1, 0);
    std::size_t known = 0;
    std::vector<TBand> bands(n);
    std::vector<TStep> steps;
    std::size_t lo = 0;
    std::size_t hi = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int64_t x = imageDates[i];
        while (lo < m && shot(lo) < x - reach)
            ++lo;
        hi = std::max(hi, lo);
        while (hi < m && shot(hi) <= x + reach)
            ++hi;
        bands[i] = {lo, hi, steps.size()};
        if (lo == hi)
            continue;
        for (; known < hi; ++known)
            saving[known + 1] = saving[known];
        std::int64_t diagonal = saving[lo]; // the row before, one shot less
        std::int64_t left = saving[lo];     // this row, one shot less
        for (std::size_t j = lo; j < hi; ++j) {
            const std::int64_t up = saving[j + 1];
            const std::int64_t paired = diagonal + 2 * gap - std::abs(x - shot(j));
            TStep step = stPair;
            std::int64_t value = paired;
            if (up > value) {
                step = stImageAlone;
                value = up;
            }
            if (left > value) {
                step = stShotAlone;
                value = left;
            }
            steps.push_back(step);
            diagonal = up;
            saving[j + 1] = value;
            left = value;
        }
    }

    // Back from the end; images or shots left alone between two pairs are
    // then put in time order.
    std::vector<TAlignedRow> reversed;
    reversed.reserve(n + m);
    std::size_t i = n;
    std::size_t j = m;
    while (i > 0 || j > 0) {
        TStep step = stShotAlone;
        if (i > 0) {
            const TBand& band = bands[i - 1];
            if (j == 0 || j <= band.Lo)
                step = stImageAlone;
            else if (j <= band.Hi)
                step = steps[band.First + (j - 1 - band.Lo)];
        }
        switch (step) {
        case stPair:
            reversed.push_back({--i, --j});
            break;
        case stImageAlone:
            reversed.push_back({--i, std::nullopt});
            break;
        case stShotAlone:
            reversed.push_back({std::nullopt, --j});
            break;
        }
    }

    std::vector<TAlignedRow> rows;
    rows.reserve(reversed.size());
    std::vector<std::size_t> lonelyImages, lonelyShots;
    const auto flush = [&] {
        std::size_t a = 0, b = 0;
        while (a < lonelyImages.size() || b < lonelyShots.size()) {
            if (b == lonelyShots.size() ||
                (a < lonelyImages.size() && imageDates[lonelyImages[a]] <= shot(lonelyShots[b])))
                rows.push_back({lonelyImages[a++], std::nullopt});
            else
                rows.push_back({std::nullopt, lonelyShots[b++]});
        }
        lonelyImages.clear();
        lonelyShots.clear();
    };
    for (auto row = reversed.rbegin(); row != reversed.rend(); ++row) {
        if (row->Image && row->Shot) {
            flush();
            rows.push_back(*row);
        } else if (row->Image) {
            lonelyImages.push_back(*row->Image);
        } else {
            lonelyShots.push_back(*row->Shot);
        }
    }
    flush();
    return rows;
}

} // namespace zelmaro
