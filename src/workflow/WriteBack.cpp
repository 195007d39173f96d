#include "FormatText.h"
#include "MessageBoxes.h"
#include "OperationScope.h"
#include "Paths.h"
#include "Workflow.h"

#include <exception>

namespace zelmaro {

std::string ExposureValueText(double exposureTime, const FormatSettings& settings)
{
    // The tool wants a decimal point, whatever the user's separator is.
    std::string text = NumberText(exposureTime, settings);
    if (const auto pos = text.find(settings.DecimalSeparator); pos != std::string::npos)
        text[pos] = '.';
    return text;
}

void TWorkflow::SetImageExposureTime(const TImageItem& image, double exposureTime)
{
    const auto [first, last] = FImages.equal_range(image.Date);
    for (auto it = first; it != last; ++it) {
        if (&it->second == &image) {
            it->second.ExposureTime = exposureTime;
            return;
        }
    }
}

void TWorkflow::WriteExposureTimes()
{
    TOperationScope operation(FHost, FProgress);
    TToolSessionScope session(*this);
    std::vector<std::string> output; // collected, never read
    const std::string directory = FHost.DirectoryText();
    if (FProgress) {
        FProgress->SetFirstCaption("Bearbeite Verzeichnis:");
        FProgress->SetDirectory(directory);
        FProgress->ShowFileLine();
        FProgress->SetThirdCaption("Schreibe Daten in Datei:");
        FProgress->SetFileName("");
        FProgress->ShowNow();
    }
    for (int row = 0; row < FTable.RowCount(); ++row) {
        const TMatchItem* item = FTable.RowItem(row);
        if (!FTable.IsChecked(row) || !item || !item->Image || !item->Shot)
            continue;
        const TImageItem& image = *item->Image;
        if (FProgress)
            FProgress->SetFileName(image.FileName);
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested())
            break;
        const std::string path = JoinPath(FHost.DirectoryText(), image.FileName);
        try {
            RunTool({"-ExposureTime=" + ExposureValueText(item->Shot->ExposureTime, FSettings),
                     "-P", ToolPath(path)},
                    output);
        } catch (const std::exception&) {
            FHost.ShowError("Fehler beim Ändern von Bild \"" + image.FileName + "\"!", kAppCaption);
            FHost.RequestTerminate();
            return;
        }
        std::uint32_t date = 0;
        double exposure = 0;
        if (!ReadImageData(path, date, exposure)) {
            FHost.ShowError("Fehler beim Auslesen von Bild \"" + image.FileName + "\"!",
                            kAppCaption);
            FHost.RequestTerminate();
            return;
        }
        SetImageExposureTime(image, exposure);
    }
    MatchAll();
}

} // namespace zelmaro
