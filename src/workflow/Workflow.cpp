#include "workflow/Workflow.h"

#include "support/MessageBoxes.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zelmaro {

namespace {

// Behind every record with a Date less than or equal to the new one, which is
// where a multimap puts an equal key. Logs and scans mostly arrive in time
// order, oldest or newest first, so both ends are tried first.
template <typename Item>
const Item& InsertOrdered(std::multimap<std::uint32_t, Item>& records, Item item)
{
    const std::uint32_t date = item.Date;
    if (records.empty() || std::prev(records.end())->first <= date)
        return records.emplace_hint(records.end(), date, std::move(item))->second;
    if (date < records.begin()->first)
        return records.emplace_hint(records.begin(), date, std::move(item))->second;
    return records.emplace(date, std::move(item))->second;
}

} // namespace

TWorkflow::TWorkflow(TWorkflowHost& host, FormatSettings settings)
    : FHost(host), FSettings(std::move(settings))
{
}

void TWorkflow::AddObserver(TWorkflowObserver& observer)
{
    FObservers.push_back(&observer);
}

void TWorkflow::RemoveObserver(TWorkflowObserver& observer)
{
    std::erase(FObservers, &observer);
}

// ---- the lists

void TWorkflow::ClearImages()
{
    ClearMatches();
    FImages.clear();
}

void TWorkflow::ClearShots()
{
    ClearMatches();
    FShots.clear();
}

void TWorkflow::ClearMatches()
{
    if (!FMatches.empty())
        ReplaceMatches({});
}

const TImageItem& TWorkflow::AddImage(TImageItem image)
{
    return InsertOrdered(FImages, std::move(image));
}

const TShotItem& TWorkflow::AddShot(TShotItem shot)
{
    return InsertOrdered(FShots, shot);
}

TWorkflow::TRowsReplacement::TRowsReplacement(TWorkflow& flow) : FFlow(flow)
{
    for (TWorkflowObserver* observer : FFlow.FObservers)
        observer->RowsReplacing();
}

TWorkflow::TRowsReplacement::~TRowsReplacement()
{
    for (TWorkflowObserver* observer : FFlow.FObservers)
        observer->RowsReplaced();
}

void TWorkflow::ReplaceMatches(std::vector<TMatchItem> matches)
{
    const TRowsReplacement replacement(*this);
    FMatches = std::move(matches);
}

// ---- the check marks

bool TWorkflow::SetChecked(std::size_t row, bool checked)
{
    if (row >= FMatches.size() || !IsTickable(FMatches[row]))
        return false;
    TMatchItem& item = FMatches[row];
    item.CheckChangedByUser = true;
    if (item.Checked != checked) {
        item.Checked = checked;
        NotifyChecks(row, row);
    }
    return true;
}

bool TWorkflow::ToggleChecked(std::size_t row)
{
    return row < FMatches.size() && SetChecked(row, !FMatches[row].Checked);
}

namespace {

// Gives every tickable row of rows the mark mark(row) as the user's; the
// first and last row whose mark changed, if any.
template <class TMark>
std::optional<std::pair<std::size_t, std::size_t>>
MarkRows(std::vector<TMatchItem>& matches, std::span<const std::size_t> rows, TMark mark)
{
    std::optional<std::pair<std::size_t, std::size_t>> changed;
    for (const std::size_t row : rows) {
        if (row >= matches.size() || !IsTickable(matches[row]))
            continue;
        TMatchItem& item = matches[row];
        item.CheckChangedByUser = true;
        const bool checked = mark(item);
        if (item.Checked == checked)
            continue;
        item.Checked = checked;
        changed = changed ? std::pair(std::min(changed->first, row), std::max(changed->second, row))
                          : std::pair(row, row);
    }
    return changed;
}

} // namespace

// One notice for the whole command, so that its observers redraw once.
void TWorkflow::SetChecked(std::span<const std::size_t> rows, bool checked)
{
    if (const auto changed =
            MarkRows(FMatches, rows, [checked](const TMatchItem&) { return checked; }))
        NotifyChecks(changed->first, changed->second);
}

void TWorkflow::ToggleChecked(std::span<const std::size_t> rows)
{
    if (const auto changed =
            MarkRows(FMatches, rows, [](const TMatchItem& item) { return !item.Checked; }))
        NotifyChecks(changed->first, changed->second);
}

bool TWorkflow::HasRowsToWrite() const
{
    return std::any_of(FMatches.begin(), FMatches.end(),
                       [](const TMatchItem& item) { return item.Checked; });
}

std::size_t TWorkflow::RowsToWrite() const
{
    return static_cast<std::size_t>(std::count_if(
        FMatches.begin(), FMatches.end(), [](const TMatchItem& item) { return item.Checked; }));
}

std::size_t TWorkflow::ExactPairs() const
{
    return static_cast<std::size_t>(
        std::count_if(FMatches.begin(), FMatches.end(), [](const TMatchItem& item) {
            return item.Image && item.Shot && item.TimeState == TMatchState::msEqual;
        }));
}

void TWorkflow::NotifyChecks(std::size_t first, std::size_t last)
{
    for (TWorkflowObserver* observer : FObservers)
        observer->ChecksChanged(first, last);
}

void TWorkflow::ShowStatus(std::string_view text, bool followsOffset)
{
    FStatusFollowsOffset = followsOffset;
    FHost.ShowStatus(text);
}

// ---- the tool

bool TWorkflow::LocateExifTool()
{
    if (auto tool = FindExifTool()) {
        FExifTool = std::move(*tool);
        return true;
    }
    FHost.ShowError(MissingExifToolMessage(), kAppCaption);
    FHost.RequestTerminate();
    return false;
}

bool TWorkflow::MakeSession()
{
    // A replaced tool stays as it is; the session itself starts at first use.
    if (!FUseSession || FTool || FSession || FExifTool.empty())
        return false;
    FSession = std::make_unique<TExifToolSession>(FExifTool, FReadBoundMs);
    return true;
}

TWorkflow::TToolSessionScope::TToolSessionScope(TWorkflow& flow)
    : FFlow(flow), FOwner(flow.MakeSession())
{
    FFlow.Tool().SetWaitHook(FFlow.CommandWaitHook());
}

TWorkflow::TToolSessionScope::~TToolSessionScope()
{
    if (FOwner)
        FFlow.FSession.reset();
}

TMetadataTool& TWorkflow::Tool()
{
    if (FTool)
        return *FTool;
    if (FSession)
        return *FSession;
    if (!FPerCall) {
        FPerCall = std::make_unique<TConsoleMetadataTool>(FExifTool, FReadBoundMs);
        FPerCall->SetWaitHook(CommandWaitHook());
    }
    return *FPerCall;
}

TWorkflow::TToolSessionsHold::TToolSessionsHold(TWorkflow& flow) : FFlow(flow)
{
    FOwner = !std::exchange(FFlow.FHoldSessions, true);
    if (FOwner)
        FFlow.MakeSession();
}

TWorkflow::TToolSessionsHold::~TToolSessionsHold()
{
    if (!FOwner)
        return;
    FFlow.FHoldSessions = false;
    FFlow.FSpareTools.clear();
    FFlow.FSession.reset();
}

std::unique_ptr<TMetadataTool> TWorkflow::NewReaderTool()
{
    if (FScanToolFactory)
        return FScanToolFactory();
    if (!FSpareTools.empty()) {
        std::unique_ptr<TMetadataTool> tool = std::move(FSpareTools.back());
        FSpareTools.pop_back();
        return tool;
    }
    if (FSession)
        return std::make_unique<TExifToolSession>(FExifTool, FReadBoundMs);
    return std::make_unique<TConsoleMetadataTool>(FExifTool, FReadBoundMs);
}

TMetadataTool* TWorkflow::TPoolTools::Add()
{
    FTools.push_back(FFlow.NewReaderTool());
    return FTools.back().get();
}

TWorkflow::TPoolTools::~TPoolTools()
{
    if (!FFlow.FHoldSessions || FFlow.FScanToolFactory)
        return;
    for (std::unique_ptr<TMetadataTool>& tool : FTools) {
        tool->SetWaitHook({}); // the pool's hook ends with it
        FFlow.FSpareTools.push_back(std::move(tool));
    }
}

TWaitHook TWorkflow::CommandWaitHook()
{
    return [this](const TToolWait& wait) {
        if (wait.Waited.count() < kCallGraceMs)
            return true;
        FHost.ProcessPendingEvents();
        if (wait.Writing)
            ReportSlowWrite(FWritingName, wait.Waited.count());
        return !(FReadsStoppable && FHost.CancelRequested());
    };
}

TWaitHook TWorkflow::ReaderWaitHook(const std::atomic<bool>& stop)
{
    return [&stop](const TToolWait& wait) {
        return wait.Waited.count() < kCallGraceMs || !stop.load();
    };
}

} // namespace zelmaro
