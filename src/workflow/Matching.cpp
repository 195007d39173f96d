#include "workflow/Matching.h"

#include "workflow/Alignment.h"
#include "workflow/ExposureSet.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace zelmaro {

TAnchor FindAnchor(std::span<const std::uint32_t> imageDates,
                   std::span<const std::uint32_t> shotDates, std::int32_t offset)
{
    TAnchor anchor;
    if (shotDates.empty() || imageDates.empty())
        return anchor;

    // Shifted shot moments, ordered by moment and then by list position, so
    // that the first of equal moments is the earliest shot.
    using Shifted = std::pair<std::uint32_t, std::uint32_t>;
    std::vector<Shifted> shifted(shotDates.size());
    for (std::size_t j = 0; j < shotDates.size(); ++j)
        shifted[j] = {shotDates[j] + static_cast<std::uint32_t>(offset),
                      static_cast<std::uint32_t>(j)};
    std::sort(shifted.begin(), shifted.end());

    std::uint64_t best = UINT64_MAX;
    for (std::size_t i = 0; i < imageDates.size() && best > 0; ++i) {
        const std::uint32_t x = imageDates[i];
        const auto above = std::lower_bound(shifted.begin(), shifted.end(), Shifted{x, 0});
        std::uint64_t distance = UINT64_MAX;
        std::uint32_t shot = 0;
        if (above != shifted.end()) {
            distance = above->first - x;
            shot = above->second;
        }
        if (above != shifted.begin()) {
            const std::uint32_t below = std::prev(above)->first;
            const std::uint64_t belowDistance = x - below;
            const std::uint32_t belowShot =
                std::lower_bound(shifted.begin(), above, Shifted{below, 0})->second;
            if (belowDistance < distance || (belowDistance == distance && belowShot < shot)) {
                distance = belowDistance;
                shot = belowShot;
            }
        }
        if (distance < best) { // ties keep the earlier image
            best = distance;
            anchor.Image = i;
            anchor.Shot = shot;
        }
    }
    return anchor;
}

TMatchItem TWorkflow::MakeMatch(const TImageItem* image, const TShotItem* shot,
                                std::int32_t offset) const
{
    TMatchItem item;
    item.Image = image;
    item.Shot = shot;
    if (!image || !shot)
        return item;
    // Compared in 64 bits so that a huge tolerance cannot wrap around.
    const std::uint64_t distance = TimeDistance(image->Date, shot->Date, offset);
    const std::int64_t tolerance = FTolerance;
    const auto within = [&](std::int64_t limit) {
        return limit >= 0 && distance <= static_cast<std::uint64_t>(limit);
    };
    if (within(tolerance))
        item.TimeState = TMatchState::msEqual;
    else if (within(tolerance + 5))
        item.TimeState = TMatchState::msNear;
    else
        item.TimeState = TMatchState::msDifferent;
    item.ExposureState = ExposureTimesEqual(image->ExposureTime, shot->ExposureTime)
                             ? TMatchState::msEqual
                             : TMatchState::msDifferent;
    item.ValuesDiffer = FWriteAll && !DifferingValues(LoggedSet(*shot), image->Values).empty();
    return item;
}

namespace {

// Rows the write-back would correct start checked, unless the user marked
// the same image and shot in the old rows: that mark stays while the row can
// be written. A user's "no" stays in any case, so that a row that cannot be
// written for a while does not come back checked; a "yes" on such a row
// gives way to the automatic choice.
std::vector<TMatchItem> Checked(std::vector<TMatchItem> matches, const std::vector<TMatchItem>& old)
{
    std::map<std::pair<const TImageItem*, const TShotItem*>, bool> marked;
    for (const TMatchItem& item : old)
        if (item.CheckChangedByUser)
            marked.emplace(std::pair(item.Image, item.Shot), item.Checked);
    for (TMatchItem& item : matches) {
        const auto mark = marked.find({item.Image, item.Shot});
        const bool tickable = IsTickable(item);
        if (mark != marked.end() && (tickable || !mark->second)) {
            item.Checked = mark->second;
            item.CheckChangedByUser = true;
        } else {
            item.Checked = IsCheckable(item);
        }
    }
    return matches;
}

} // namespace

void TWorkflow::MatchAll()
{
    // The old rows stay until the new ones are made: one replacement.
    if (FImages.empty()) {
        ClearMatches();
        return;
    }
    const std::int32_t offset = FOffset;

    std::vector<const TImageItem*> images;
    std::vector<std::uint32_t> imageDates;
    images.reserve(FImages.size());
    imageDates.reserve(FImages.size());
    for (const auto& [date, image] : FImages) {
        images.push_back(&image);
        imageDates.push_back(image.Date);
    }
    std::vector<const TShotItem*> shots;
    std::vector<std::uint32_t> shotDates;
    shots.reserve(FShots.size());
    shotDates.reserve(FShots.size());
    for (const auto& [date, shot] : FShots) {
        shots.push_back(&shot);
        shotDates.push_back(shot.Date);
    }

    std::vector<TMatchItem> matches;
    if (FAlignment == TRowAlignment::alName || FAlignment == TRowAlignment::alFrame) {
        // Frames count in name order; names pair in any order.
        std::sort(images.begin(), images.end(), [](const TImageItem* a, const TImageItem* b) {
            return a->FileName < b->FileName;
        });
        std::vector<std::string> imageNames;
        for (const TImageItem* image : images)
            imageNames.push_back(image->FileName);
        std::vector<TAlignedRow> rows;
        if (FAlignment == TRowAlignment::alName) {
            std::vector<std::string> shotNames;
            for (const TShotItem* shot : shots)
                shotNames.push_back(shot->FileName);
            rows = AlignByName(imageNames, shotNames);
        } else {
            std::vector<std::optional<std::uint32_t>> frames;
            for (const TShotItem* shot : shots)
                frames.push_back(shot->Frame);
            rows = AlignByFrame(imageNames, frames, FFirstFrame);
        }
        matches.reserve(rows.size());
        for (const TAlignedRow& row : rows) {
            TMatchItem item = MakeMatch(row.Image ? images[*row.Image] : nullptr,
                                        row.Shot ? shots[*row.Shot] : nullptr, offset);
            // The name or the frame was compared, and it agrees.
            if (item.Image && item.Shot)
                item.TimeState = TMatchState::msEqual;
            matches.push_back(item);
        }
        ReplaceMatches(Checked(std::move(matches), FMatches));
        return;
    }
    if (FAlignment == TRowAlignment::alNearest) {
        const auto rows = AlignNearest(imageDates, shotDates, offset, FTolerance);
        matches.reserve(rows.size());
        for (const TAlignedRow& row : rows)
            matches.push_back(MakeMatch(row.Image ? images[*row.Image] : nullptr,
                                        row.Shot ? shots[*row.Shot] : nullptr, offset));
        ReplaceMatches(Checked(std::move(matches), FMatches));
        return;
    }

    const TAnchor anchor = FindAnchor(imageDates, shotDates, offset);
    // Rows are aligned by position around the anchor pair.
    const std::size_t ai = anchor.Image;
    const std::size_t aj = anchor.Shot.value_or(0);
    const std::size_t before = std::max(ai, anchor.Shot ? aj : 0);
    const std::size_t after =
        std::max(images.size() - 1 - ai, anchor.Shot ? shots.size() - 1 - aj : 0);
    const auto row = [&](std::ptrdiff_t k) {
        const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(ai) + k;
        const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(aj) + k;
        const TImageItem* image =
            i >= 0 && i < static_cast<std::ptrdiff_t>(images.size()) ? images[i] : nullptr;
        const TShotItem* shot =
            anchor.Shot && j >= 0 && j < static_cast<std::ptrdiff_t>(shots.size()) ? shots[j]
                                                                                   : nullptr;
        return MakeMatch(image, shot, offset);
    };
    matches.reserve(before + 1 + after);
    for (std::ptrdiff_t k = -static_cast<std::ptrdiff_t>(before);
         k <= static_cast<std::ptrdiff_t>(after); ++k)
        matches.push_back(row(k));
    ReplaceMatches(Checked(std::move(matches), FMatches));
}

void TWorkflow::FieldsChanged()
{
    if (FStatusFollowsOffset)
        ShowStatus("");
    if (!FImages.empty())
        MatchAll();
}

void TWorkflow::SetOffset(int seconds)
{
    const int clamped = std::clamp(seconds, -FMaxOffset, FMaxOffset);
    for (TWorkflowObserver* observer : FObservers)
        observer->OffsetSet(clamped);
    OffsetEdited(clamped);
}

void TWorkflow::SetTolerance(int seconds)
{
    const int clamped = std::clamp(seconds, kMinTolerance, kMaxTolerance);
    for (TWorkflowObserver* observer : FObservers)
        observer->ToleranceSet(clamped);
    ToleranceEdited(clamped);
}

void TWorkflow::SetOffsetFromPair(const TImageItem& image, const TShotItem& shot)
{
    const std::int64_t difference =
        static_cast<std::int64_t>(image.Date) - static_cast<std::int64_t>(shot.Date);
    SetOffset(static_cast<int>(std::clamp<std::int64_t>(difference, -FMaxOffset, FMaxOffset)));
}

void TWorkflow::OffsetEdited(int seconds)
{
    if (std::exchange(FOffset, seconds) != seconds)
        FieldsChanged();
}

void TWorkflow::ToleranceEdited(int seconds)
{
    if (std::exchange(FTolerance, seconds) != seconds)
        FieldsChanged();
}

} // namespace zelmaro
