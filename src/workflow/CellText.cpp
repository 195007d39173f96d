#include "support/DateTime.h"
#include "support/FormatText.h"
#include "workflow/Workflow.h"

namespace zelmaro {

std::string TWorkflow::CellText(const TMatchItem& item, int column) const
{
    const TImageItem* image = item.Image;
    const TShotItem* shot = item.Shot;
    switch (column) {
    case colImageName:
        return image ? image->FileName : std::string();
    case colImageDate:
        return image ? DateTimeText(SecondsToDays(image->Date), FSettings) : std::string();
    case colImageExposure:
        return image ? NumberText(image->ExposureTime, FSettings) : std::string();
    case colTimeState:
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
    case colShotDate:
        return shot ? DateTimeText(SecondsToDays(shot->Date), FSettings) : std::string();
    case colShotExposure:
        return shot ? NumberText(shot->ExposureTime, FSettings) : std::string();
    default:
        return {};
    }
}

} // namespace zelmaro
