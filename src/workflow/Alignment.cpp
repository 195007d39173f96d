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

// The largest savings of the images so far by the number of shots, from
// Base on; past Known they equal the one at Known.
struct TSavings {
    std::size_t Base = 0;
    std::size_t Known = 0;
    std::vector<std::int64_t> Values; // the saving with j shots at j - Base

    std::int64_t& At(std::size_t j) { return Values[j - Base]; }
    // The values from Base to Known (at least Base) alone.
    TSavings From(std::size_t base) const
    {
        TSavings part{base, std::max(Known, base), {}};
        part.Values.reserve(part.Known - base + 1);
        for (std::size_t j = base; j <= part.Known; ++j)
            part.Values.push_back(Values[std::min(j, Known) - Base]);
        return part;
    }
};

// Above this many steps the table is kept in blocks of images: only the
// savings where a block begins stay, and each block's steps are worked out
// again when the way back reaches it.
constexpr std::size_t kStepBudget = std::size_t{1} << 26;

} // namespace

std::vector<TAlignedRow> AlignNearest(std::span<const std::uint32_t> imageDates,
                                      std::span<const std::uint32_t> shotDates, std::int32_t offset,
                                      std::int32_t tolerance)
{
    return detail::AlignNearest(imageDates, shotDates, offset, tolerance, kStepBudget);
}

std::vector<TAlignedRow> detail::AlignNearest(std::span<const std::uint32_t> imageDates,
                                              std::span<const std::uint32_t> shotDates,
                                              std::int32_t offset, std::int32_t tolerance,
                                              std::size_t stepBudget)
{
    const std::size_t n = imageDates.size();
    const std::size_t m = shotDates.size();
    // Moments without wrapping, so that the shifted shots stay in order.
    const std::int64_t reach = std::max<std::int64_t>(std::int64_t{tolerance} + 5, -1);
    const std::int64_t gap = reach + 1;
    const auto shot = [&](std::size_t j) { return std::int64_t{shotDates[j]} + offset; };

    std::vector<TBand> bands(n);
    std::size_t cells = 0;
    {
        std::size_t lo = 0;
        std::size_t hi = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t x = imageDates[i];
            while (lo < m && shot(lo) < x - reach)
                ++lo;
            hi = std::max(hi, lo);
            while (hi < m && shot(hi) <= x + reach)
                ++hi;
            bands[i] = {lo, hi, 0};
            cells += hi - lo;
        }
    }
    // Blocks of images, each at most half the budget of steps (or one image).
    std::vector<std::size_t> blockStarts{0};
    if (cells > stepBudget) {
        const std::size_t blockCells = std::max<std::size_t>(stepBudget / 2, 1);
        std::size_t inBlock = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t width = bands[i].Hi - bands[i].Lo;
            if (inBlock > 0 && inBlock + width > blockCells) {
                blockStarts.push_back(i);
                inBlock = 0;
            }
            inBlock += width;
        }
    }
    blockStarts.push_back(n);

    // Least cost = gap * (n + m) minus the largest saving, where a pair saves
    // 2 * gap - its distance (always more than nothing). Outside an image's
    // band its row equals the one before (left of the band) or its own
    // band's end (right).
    std::vector<TStep> steps;
    const auto fillRow = [&](TSavings& saving, std::size_t i, bool keepSteps) {
        TBand& band = bands[i];
        if (band.Lo == band.Hi)
            return;
        const std::int64_t x = imageDates[i];
        for (; saving.Known < band.Hi; ++saving.Known)
            saving.At(saving.Known + 1) = saving.At(saving.Known);
        band.First = steps.size();
        std::int64_t diagonal = saving.At(band.Lo); // the row before, one shot less
        std::int64_t left = saving.At(band.Lo);     // this row, one shot less
        for (std::size_t j = band.Lo; j < band.Hi; ++j) {
            const std::int64_t up = saving.At(j + 1);
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
            if (keepSteps)
                steps.push_back(step);
            diagonal = up;
            saving.At(j + 1) = value;
            left = value;
        }
    };
    const std::size_t blocks = blockStarts.size() - 1;
    std::vector<TSavings> blockSavings(blocks);
    {
        TSavings saving{0, 0, std::vector<std::int64_t>(m + 1, 0)};
        for (std::size_t k = 0; k < blocks; ++k) {
            if (blocks > 1 && blockStarts[k] < n)
                blockSavings[k] = saving.From(bands[blockStarts[k]].Lo);
            for (std::size_t i = blockStarts[k]; i < blockStarts[k + 1]; ++i)
                fillRow(saving, i, blocks == 1);
        }
    }
    // The steps of the block of image i, worked out again from its savings;
    // the way back asks for the blocks from the last to the first.
    std::size_t loaded = blocks > 1 ? blocks : 0;
    const auto loadBlockOf = [&](std::size_t i) {
        if (blocks == 1 || (loaded < blocks && blockStarts[loaded] <= i))
            return;
        while (blockStarts[loaded - 1] > i)
            --loaded;
        --loaded;
        TSavings saving = std::move(blockSavings[loaded]);
        const std::size_t last = blockStarts[loaded + 1] - 1;
        saving.Values.resize(std::max(bands[last].Hi, saving.Known) - saving.Base + 1);
        steps.clear();
        for (std::size_t k = blockStarts[loaded]; k <= last; ++k)
            fillRow(saving, k, true);
    };

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
            if (j == 0 || j <= band.Lo) {
                step = stImageAlone;
            } else if (j <= band.Hi) {
                loadBlockOf(i - 1);
                step = steps[band.First + (j - 1 - band.Lo)];
            }
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
