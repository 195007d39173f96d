#pragma once

#include "FormatSettings.h"
#include "Records.h"
#include "WorkflowHost.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace zelmaro {

// The matching workflow without a window: the image, shot and pair lists and
// the operations on them. The host and the table are the window around it.
class TWorkflow {
public:
    static constexpr int kColumnCount = 6;

    TWorkflow(TWorkflowHost& host, TImageTable& table, FormatSettings settings);
    TWorkflow(const TWorkflow&) = delete;
    TWorkflow& operator=(const TWorkflow&) = delete;

    const std::list<TImageItem>& Images() const { return FImages; }
    const std::list<TShotItem>& Shots() const { return FShots; }
    // The rows from top to bottom; the table refers to these records.
    const std::vector<TMatchItem>& Matches() const { return FMatches; }
    const FormatSettings& Settings() const { return FSettings; }

    // Full path of the metadata tool.
    const std::string& ExifTool() const { return FExifTool; }
    void SetExifTool(std::string path) { FExifTool = std::move(path); }

    // Clearing the images or the shots also clears the pairs and the table.
    void ClearImages();
    void ClearShots();
    // Empties the pair list and the table, so that no row outlives its record.
    void ClearMatches();

    // Inserts behind every record whose Date is less than or equal to its own.
    const TImageItem& AddImage(TImageItem image);
    const TShotItem& AddShot(TShotItem shot);

    // Text of a cell: 0 "Bildname", 1 "Bilddatum", 2 "Verschlusszeit", 3 "=",
    // 4 "Aufnahmedatum", 5 "Verschlusszeit"; empty where the row lacks the side.
    std::string CellText(const TMatchItem& item, int column) const;

    // Rebuilds the pairs around the closest image and shot and refills the table.
    void MatchAll();
    // A row for the image and shot graded under the offset and the host's tolerance.
    TMatchItem MakeMatch(const TImageItem* image, const TShotItem* shot, std::int32_t offset) const;
    // Refills the table from the pairs and checks the rows to be written.
    void FillTable();
    // Puts the offset with the most exact pairs into the offset field, or tells
    // the user that there is none.
    void FindAutoOffset();
    // The offset or the tolerance changed.
    void FieldsChanged();

    static std::int32_t OffsetFromPair(const TImageItem& image, const TShotItem& shot)
    {
        return static_cast<std::int32_t>(image.Date - shot.Date);
    }

private:
    TWorkflowHost& FHost;
    TImageTable& FTable;
    FormatSettings FSettings;
    std::list<TImageItem> FImages;
    std::list<TShotItem> FShots;
    std::vector<TMatchItem> FMatches;
    std::string FExifTool;
};

} // namespace zelmaro
