#include "support/DateTime.h"
#include "support/FormatText.h"
#include "support/Messages.h"
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
        return Tr("Kein Bild");
    if (!item.Shot)
        return Tr("Kein Protokolleintrag");
    if (item.ValuesDiffer)
        return SetCheckReason(item);
    const bool timeEqual = item.TimeState == TMatchState::msEqual;
    // Paired by name or frame, the "=" says that those agree.
    const std::string compared = FAlignment == TRowAlignment::alName    ? Tr("Dateiname")
                                 : FAlignment == TRowAlignment::alFrame ? Tr("Bildnummer")
                                                                        : std::string();
    if (!compared.empty()) {
        if (item.ExposureState == TMatchState::msEqual)
            return Fill(Tr("%1 und Verschlusszeit gleich – nichts zu tun"), compared);
        const auto differs = [&](const std::string& outcome) {
            return Fill(Tr("%1 gleich, Verschlusszeit abweichend – %2"), compared, outcome);
        };
        if (!IsWritableExposureTime(item.Shot->ExposureTime))
            return differs(Tr("Wert nicht schreibbar"));
        return differs(item.Checked ? Tr("wird eingetragen") : Tr("nicht angekreuzt"));
    }
    if (timeEqual && item.ExposureState == TMatchState::msEqual)
        return Tr("Zeit und Verschlusszeit gleich – nichts zu tun");
    const std::string time =
        timeEqual ? Tr("Zeit gleich")
                  : Fill(Tr("Zeit %1 s daneben (Toleranz %2 s)"),
                         std::to_string(TimeDistance(item.Image->Date, item.Shot->Date, FOffset)),
                         std::to_string(FTolerance));
    if (item.ExposureState == TMatchState::msEqual)
        return Fill(Tr("%1, Verschlusszeit gleich – nichts zu tun"), time);
    const auto differs = [&](const std::string& outcome) {
        return Fill(Tr("%1, Verschlusszeit abweichend – %2"), time, outcome);
    };
    if (!IsWritableExposureTime(item.Shot->ExposureTime))
        return differs(Tr("Wert nicht schreibbar"));
    if (item.Checked)
        return differs(Tr("wird eingetragen"));
    if (timeEqual)
        return differs(Tr("nicht angekreuzt"));
    if (item.TimeState == TMatchState::msNear)
        return differs(Tr("von Hand ankreuzbar"));
    return differs(Tr("wird nicht eingetragen"));
}

std::string TWorkflow::ShotDetails(const TMatchItem& item) const
{
    const TShotItem* shot = item.Shot;
    if (!shot)
        return {};
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (!shot->FileName.empty())
        add(Fill(Tr("Datei %1"), shot->FileName));
    if (shot->Frame)
        // TRANSLATORS: the frame number of the shot in the log.
        add(Fill(Tr("Bild %1"), std::to_string(*shot->Frame)));
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
