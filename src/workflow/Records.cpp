#include "workflow/Workflow.h"

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

TWorkflow::TWorkflow(TWorkflowHost& host, TImageTable& table, FormatSettings settings)
    : FHost(host), FTable(table), FSettings(std::move(settings))
{
}

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
    // The table's rows point into FMatches: empty it first.
    if (FTable.RowCount() > 0)
        FTable.Clear();
    FTable.SetWriteEnabled(false);
    FMatches.clear();
}

const TImageItem& TWorkflow::AddImage(TImageItem image)
{
    return InsertOrdered(FImages, std::move(image));
}

const TShotItem& TWorkflow::AddShot(TShotItem shot)
{
    return InsertOrdered(FShots, shot);
}

} // namespace zelmaro
