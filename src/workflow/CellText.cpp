#include "support/DateTime.h"
#include "support/FormatText.h"
#include "workflow/Workflow.h"

namespace zelmaro {

std::string TWorkflow::CellText(const TMatchItem& item, int column) const
{
    const TImageItem* image = item.Image;
    const TShotItem* shot = item.Shot;
    switch (column) {
    case 0:
        return image ? image->FileName : std::string();
    case 1:
        return image ? DateTimeText(SecondsToDays(image->Date), FSettings) : std::string();
    case 2:
        return image ? NumberText(image->ExposureTime, FSettings) : std::string();
    case 3:
        if (!image)
            return {};
        switch (item.TimeState) {
        case TMatchState::msDifferent:
            return "<>";
        case TMatchState::msNear:
            return "~";
        case TMatchState::msEqual:
            return "=";
        case TMatchState::msNone:
            break;
        }
        return {};
    case 4:
        return shot ? DateTimeText(SecondsToDays(shot->Date), FSettings) : std::string();
    case 5:
        return shot ? NumberText(shot->ExposureTime, FSettings) : std::string();
    default:
        return {};
    }
}

} // namespace zelmaro
