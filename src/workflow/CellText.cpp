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

std::string TWorkflow::CheckReason(const TMatchItem& item) const
{
    if (!item.Image)
        return "Kein Bild";
    if (!item.Shot)
        return "Kein Protokolleintrag";
    if (item.ValuesDiffer)
        return SetCheckReason(item);
    const bool timeEqual = item.TimeState == TMatchState::msEqual;
    // Paired by name or frame, the "=" says that those agree.
    const char* compared = FAlignment == TRowAlignment::alName    ? "Dateiname"
                           : FAlignment == TRowAlignment::alFrame ? "Bildnummer"
                                                                  : nullptr;
    if (compared) {
        if (item.ExposureState == TMatchState::msEqual)
            return std::string(compared) + " und Verschlusszeit gleich – nichts zu tun";
        const std::string differs = std::string(compared) + " gleich, Verschlusszeit abweichend – ";
        if (!IsWritableExposureTime(item.Shot->ExposureTime))
            return differs + "Wert nicht schreibbar";
        return differs + (item.Checked ? "wird eingetragen" : "nicht angekreuzt");
    }
    if (timeEqual && item.ExposureState == TMatchState::msEqual)
        return "Zeit und Verschlusszeit gleich – nichts zu tun";
    const std::string time =
        timeEqual
            ? std::string("Zeit gleich")
            : "Zeit " + std::to_string(TimeDistance(item.Image->Date, item.Shot->Date, FOffset)) +
                  " s daneben (Toleranz " + std::to_string(FTolerance) + " s)";
    if (item.ExposureState == TMatchState::msEqual)
        return time + ", Verschlusszeit gleich – nichts zu tun";
    const std::string differs = time + ", Verschlusszeit abweichend – ";
    if (!IsWritableExposureTime(item.Shot->ExposureTime))
        return differs + "Wert nicht schreibbar";
    if (item.Checked)
        return differs + "wird eingetragen";
    if (timeEqual)
        return differs + "nicht angekreuzt";
    if (item.TimeState == TMatchState::msNear)
        return differs + "von Hand ankreuzbar";
    return differs + "wird nicht eingetragen";
}

std::string TWorkflow::ShotDetails(const TMatchItem& item) const
{
    const TShotItem* shot = item.Shot;
    if (!shot)
        return {};
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (!shot->FileName.empty())
        add("Datei " + shot->FileName);
    if (shot->Frame)
        add("Bild " + std::to_string(*shot->Frame));
    if (shot->Aperture)
        add("f/" + NumberText(*shot->Aperture, FSettings));
    if (shot->ISO)
        add("ISO " + std::to_string(*shot->ISO));
    if (shot->FocalLength)
        add(NumberText(*shot->FocalLength, FSettings) + " mm");
    if (!shot->Lens.empty())
        add(shot->Lens);
    return text;
}

} // namespace zelmaro
