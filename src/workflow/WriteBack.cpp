#include "support/Conversions.h"
#include "support/FormatText.h"
#include "support/MessageBoxes.h"
#include "support/Paths.h"
#include "workflow/OperationScope.h"
#include "workflow/Workflow.h"

#include <exception>
#include <optional>

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

std::string WriteFailureMessage(const std::vector<TWriteFailure>& failures)
{
    constexpr std::size_t kShown = 10;
    std::string text = failures.size() == 1 ? "Ein Bild hat den Wert nicht übernommen:"
                                            : std::to_string(failures.size()) +
                                                  " Bilder haben den Wert nicht übernommen:";
    for (std::size_t i = 0; i < failures.size() && i < kShown; ++i)
        text += "\n\"" + failures[i].FileName + "\": " + failures[i].Reason;
    if (failures.size() > kShown)
        text += "\n... und " + std::to_string(failures.size() - kShown) + " weitere.";
    return text;
}

std::string ToolRefusal(const std::vector<std::string>& errorLines, const std::string& path)
{
    const auto first = [&](std::string_view prefix) -> const std::string* {
        for (const std::string& line : errorLines)
            if (line.starts_with(prefix))
                return &line;
        return nullptr;
    };
    const std::string* line = first("Error: ");
    if (!line)
        line = first("Warning: ");
    if (!line)
        return {};
    std::string reason = line->substr(line->find(' ') + 1);
    if (const std::string named = " - " + path; reason.ends_with(named))
        reason.resize(reason.size() - named.size());
    return "exiftool: " + reason;
}

std::optional<std::string> TWorkflow::WriteObstacle(const std::string& path,
                                                    const TImageItem& image)
{
    if (!FileExists(path))
        return "Die Datei gibt es nicht mehr.";
    // The same file name may now hold another picture.
    std::uint32_t date = 0;
    double exposure = 0;
    bool read = false;
    try {
        read = ReadImageData(path, date, exposure, true);
    } catch (const ConversionError&) {
        read = false;
    }
    if (!read || date != image.Date)
        return "Das Bild hat sich seit dem Auslesen geändert.";
    // The tool would replace the file through its directory all the same.
    if (IsReadOnly(path))
        return "Die Datei ist schreibgeschützt.";
    return std::nullopt;
}

void TWorkflow::WriteExposureTimes()
{
    FLastWrite = {};
    WriteCheckedImages();
    // Told once the progress window, which stays on top, has gone.
    if (!FLastWrite.Failed.empty())
        FHost.ShowWriteFailures(FLastWrite.Failed);
}

void TWorkflow::WriteCheckedImages()
{
    TOperationScope operation(FHost, FProgress);
    TToolSessionScope session(*this);
    std::vector<std::string> output; // collected, never read
    // Where the listed images are, whatever the directory field says now.
    const std::string directory = FImagesDirectory;
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
        if (!FTable.IsChecked(row) || !item || !item->Image || !item->Shot ||
            !IsWritableExposureTime(item->Shot->ExposureTime))
            continue;
        const TImageItem& image = *item->Image;
        const double logged = item->Shot->ExposureTime;
        if (FProgress)
            FProgress->SetFileName(image.FileName);
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested()) {
            FLastWrite.Cancelled = true;
            break;
        }
        const std::string path = JoinPath(directory, image.FileName);
        std::optional<std::string> obstacle;
        std::vector<std::string> errors;
        try {
            obstacle = WriteObstacle(path, image);
            if (!obstacle)
                RunTool(
                    {"-ExposureTime=" + ExposureValueText(logged, FSettings), "-P", ToolPath(path)},
                    output, &errors);
        } catch (const std::exception&) {
            FHost.ShowError("Fehler beim Ändern von Bild \"" + image.FileName + "\"!", kAppCaption);
            FHost.RequestTerminate();
            return;
        }
        if (obstacle) {
            FLastWrite.Failed.push_back({image.FileName, std::move(*obstacle)});
            continue;
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
        if (ExposureTimesEqual(exposure, logged)) {
            FLastWrite.Written.push_back(image.FileName);
            continue;
        }
        std::string reason = ToolRefusal(errors, ToolPath(path));
        if (reason.empty())
            reason = "Die Datei enthält danach " + NumberText(exposure, FSettings) + " statt " +
                     NumberText(logged, FSettings) + ".";
        FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
    }
    MatchAll();
}

} // namespace zelmaro
