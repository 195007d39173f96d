#include "workflow/Alignment.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>

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

std::string NameKey(std::string_view fileName)
{
    const auto slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    const auto dot = fileName.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        fileName = fileName.substr(0, dot);
    std::string key(fileName);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

namespace {

// Rows for images in their order, each with the entry partner gives it,
// then the entries no image took.
template <class Partner>
std::vector<TAlignedRow> RowsWithPartners(std::size_t images, std::size_t shots, Partner partner)
{
    std::vector<TAlignedRow> rows;
    std::vector<bool> taken(shots, false);
    for (std::size_t i = 0; i < images; ++i) {
        const std::optional<std::size_t> shot = partner(i);
        if (shot)
            taken[*shot] = true;
        rows.push_back({i, shot});
    }
    for (std::size_t j = 0; j < shots; ++j)
        if (!taken[j])
            rows.push_back({std::nullopt, j});
    return rows;
}

} // namespace

std::vector<TAlignedRow> AlignByName(std::span<const std::string> imageNames,
                                     std::span<const std::string> shotNames)
{
    std::map<std::string, std::deque<std::size_t>> free;
    for (std::size_t j = 0; j < shotNames.size(); ++j)
        if (!shotNames[j].empty())
            free[NameKey(shotNames[j])].push_back(j);
    return RowsWithPartners(imageNames.size(), shotNames.size(),
                            [&](std::size_t i) -> std::optional<std::size_t> {
                                const auto entries = free.find(NameKey(imageNames[i]));
                                if (entries == free.end() || entries->second.empty())
                                    return std::nullopt;
                                const std::size_t j = entries->second.front();
                                entries->second.pop_front();
                                return j;
                            });
}

std::optional<std::uint32_t> FrameInName(std::string_view fileName)
{
    fileName = fileName.substr(0, fileName.find_last_of('.'));
    const auto last = fileName.find_last_of("0123456789");
    if (last == std::string_view::npos)
        return std::nullopt;
    std::size_t first = last;
    while (first > 0 && fileName[first - 1] >= '0' && fileName[first - 1] <= '9')
        --first;
    std::uint64_t value = 0;
    for (std::size_t k = first; k <= last; ++k) {
        value = value * 10 + static_cast<std::uint64_t>(fileName[k] - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<TAlignedRow> AlignByFrame(std::span<const std::string> imageNames,
                                      std::span<const std::optional<std::uint32_t>> shotFrames,
                                      std::uint32_t firstFrame)
{
    std::vector<std::optional<std::uint32_t>> imageFrames;
    for (const std::string& name : imageNames)
        imageFrames.push_back(FrameInName(name));
    const bool named = std::all_of(imageFrames.begin(), imageFrames.end(),
                                   [](const auto& frame) { return frame.has_value(); });
    std::map<std::uint64_t, std::deque<std::size_t>> free;
    for (std::size_t j = 0; j < shotFrames.size(); ++j)
        free[shotFrames[j] ? *shotFrames[j] : std::uint64_t{firstFrame} + j].push_back(j);
    return RowsWithPartners(
        imageNames.size(), shotFrames.size(), [&](std::size_t i) -> std::optional<std::size_t> {
            const std::uint64_t frame = named ? *imageFrames[i] : std::uint64_t{firstFrame} + i;
            const auto entries = free.find(frame);
            if (entries == free.end() || entries->second.empty())
                return std::nullopt;
            const std::size_t j = entries->second.front();
            entries->second.pop_front();
            return j;
        });
}

} // namespace zelmaro
