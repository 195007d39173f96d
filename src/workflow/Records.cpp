#include "Workflow.h"

#include <utility>

namespace zelmaro {

namespace {

// Behind every record with a Date less than or equal to the new one. Logs and
// scans mostly arrive in time order, so the place is searched from the end.
template <typename Item> const Item& InsertOrdered(std::list<Item>& list, Item item)
{
    auto pos = list.end();
    while (pos != list.begin() && item.Date < std::prev(pos)->Date)
        --pos;
    return *list.insert(pos, std::move(item));
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
