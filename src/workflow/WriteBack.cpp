#include "workflow/WriteBack.h"

#include "support/Conversions.h"
#include "support/FormatText.h"
#include "support/MessageBoxes.h"
#include "support/Paths.h"
#include "workflow/OperationScope.h"
#include "workflow/StatusTexts.h"
#include "workflow/Workflow.h"

#include <chrono>
#include <exception>
#include <optional>
#include <thread>

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
    std::vector<std::string> lines;
    for (const TWriteFailure& failure : failures)
        lines.push_back("\"" + failure.FileName + "\": " + failure.Reason);
    return (failures.size() == 1
                ? std::string("Ein Bild hat den Wert nicht übernommen:")
                : std::to_string(failures.size()) + " Bilder haben den Wert nicht übernommen:") +
           (lines.empty() ? "" : "\n" + FirstTenLines(lines));
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

namespace {

// How long a writer waits for another to finish with the directory.
constexpr int kLockWaitMs = 3000;
constexpr int kLockRetryMs = 100;

// What a write cut short left beside the image, for the user to act on.
std::string LeftoverText(const std::string& directory, const std::string& name)
{
    std::string text;
    const std::string original = name + std::string(kOriginalSuffix);
    if (!FileExists(JoinPath(directory, name)) && FileExists(JoinPath(directory, original)))
        text += " Das Bild fehlt; sein Original liegt als \"" + original +
                "\" bereit und lässt sich wiederherstellen.";
    const std::string temporary = name + std::string(kToolTemporarySuffix);
    if (FileExists(JoinPath(directory, temporary)))
        text += " \"" + temporary + "\" blieb übrig und wurde nicht gelöscht.";
    return text;
}

} // namespace

std::unique_ptr<TDirectoryLock> TWorkflow::LockDirectory(const std::string& directory)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
    for (;;) {
        auto lock = std::make_unique<TDirectoryLock>(directory);
        // Where no lock can be had, no one else can write there through us.
        if (lock->State() != TDirectoryLock::TState::lsBusy)
            return lock;
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested())
            return nullptr;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kLockRetryMs));
    }
    FHost.ShowWarning("In \"" + directory +
                          "\" schreibt gerade ein anderes Zelmaro. Es wurde nichts geändert; "
                          "bitte später noch einmal versuchen.",
                      kAppCaption);
    return nullptr;
}

std::optional<std::string> TWorkflow::WriteObstacle(const std::string& path,
                                                    const TImageItem& image, double logged,
                                                    bool& holds)
{
    holds = false;
    if (!FileExists(path))
        return "Die Datei gibt es nicht mehr.";
    // The tool refuses to write beside its own leftover; the user decides.
    if (const std::string temporary = path + std::string(kToolTemporarySuffix);
        FileExists(temporary))
        return "Neben dem Bild liegt noch \"" + image.FileName + std::string(kToolTemporarySuffix) +
               "\" von einem abgebrochenen Schreiben. Bitte prüfen und entfernen; das Bild "
               "wurde nicht geändert.";
    // The same file name may now hold another picture.
    std::optional<TImageData> data;
    try {
        data = ReadImageData(path);
    } catch (const ConversionError&) {
        data.reset(); // a date that is no date: not the picture that was read
    }
    if (!data || data->Date != image.Date)
        return "Das Bild hat sich seit dem Auslesen geändert.";
    // Written since it was read, by a run before this one.
    if (ExposureTimesEqual(data->ExposureTime, logged)) {
        holds = true;
        SetImageExposureTime(image, data->ExposureTime);
        return std::nullopt;
    }
    // The tool would replace the file through its directory all the same.
    if (IsReadOnly(path))
        return "Die Datei ist schreibgeschützt.";
    return std::nullopt;
}

void TWorkflow::StopWriting(const TImageItem& image, const std::string& message, std::string reason)
{
    FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
    FLastWrite.Stopped = true;
    FHost.ShowError(message + " \"" + image.FileName + "\"!", kAppCaption);
    FHost.RequestTerminate();
}

void TWorkflow::WriteExposureTimes()
{
    FLastWrite = {};
    FLastWrite.Total = RowsToWrite();
    FStatusFollowsOffset = false; // the write's own report follows
    WriteCheckedImages();
    // Told once the progress window, which stays on top, has gone; the image
    // that stopped the write-back had an error box of its own.
    std::vector<TWriteFailure> failures = FLastWrite.Failed;
    if (FLastWrite.Stopped)
        failures.pop_back();
    if (!failures.empty())
        FHost.ShowWriteFailures(failures);
}

void TWorkflow::WriteCheckedImages()
{
    TOperationScope operation(FHost, FProgress);
    // Where the listed images are, whatever the directory field says now.
    const std::string directory = FImagesDirectory;
    const std::unique_ptr<TDirectoryLock> lock = LockDirectory(directory);
    if (!lock) {
        (FHost.CancelRequested() ? FLastWrite.Cancelled : FLastWrite.Refused) = true;
        return;
    }
    TToolSessionScope session(*this);
    std::vector<std::string> output; // collected, never read
    if (FProgress) {
        FProgress->SetFirstCaption("Bearbeite Verzeichnis:");
        FProgress->SetDirectory(directory);
        FProgress->ShowFileLine();
        FProgress->SetThirdCaption("Schreibe Daten in Datei:");
        FProgress->SetFileName("");
        FProgress->ShowNow();
    }
    for (const TMatchItem& item : FMatches) {
        if (!item.Checked || !item.Image || !item.Shot ||
            !IsWritableExposureTime(item.Shot->ExposureTime))
            continue;
        const TImageItem& image = *item.Image;
        const double logged = item.Shot->ExposureTime;
        if (FProgress)
            FProgress->SetFileName(image.FileName);
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested()) {
            FLastWrite.Cancelled = true;
            break;
        }
        const std::string path = JoinPath(directory, image.FileName);
        std::optional<std::string> obstacle;
        bool holds = false;
        try {
            obstacle = WriteObstacle(path, image, logged, holds);
        } catch (const EToolCallFailed& failure) {
            if (failure.Reason() == EToolCallFailed::TReason::trStopped) {
                FLastWrite.Cancelled = true;
                break;
            }
            obstacle = failure.what(); // this image only; the next call has a fresh session
        } catch (const std::exception&) {
            StopWriting(image, "Fehler beim Ändern von Bild", "exiftool ließ sich nicht starten.");
            return;
        }
        if (obstacle) {
            FLastWrite.Failed.push_back({image.FileName, std::move(*obstacle)});
            continue;
        }
        if (holds) {
            FLastWrite.Written.push_back(image.FileName);
            continue;
        }
        std::vector<std::string> errors;
        FWritingName = image.FileName;
        FSlowWriteReports = 0;
        try {
            Tool().RunWrite({"-ExposureTime=" + ExposureValueText(logged, FSettings), "-P",
                             ToolArgumentPath(path)},
                            output, errors);
        } catch (const EToolCallFailed& failure) {
            // Never run again: what the tool left is the user's to look at.
            FLastWrite.Failed.push_back(
                {image.FileName, failure.what() + LeftoverText(directory, image.FileName)});
            continue;
        } catch (const std::exception&) {
            StopWriting(image, "Fehler beim Ändern von Bild", "exiftool ließ sich nicht starten.");
            return;
        }
        if (FSlowWriteReports > 0)
            ShowStatus("");
        // What was written is read back, cancel or not.
        FReadsStoppable = false;
        const std::optional<TImageData> readBack = ReadImageDataOrNone(path);
        FReadsStoppable = true;
        if (!readBack) {
            StopWriting(image, "Fehler beim Auslesen von Bild",
                        "Das Bild ließ sich nach dem Schreiben nicht mehr auslesen." +
                            LeftoverText(directory, image.FileName));
            return;
        }
        const double exposure = readBack->ExposureTime;
        SetImageExposureTime(image, exposure);
        if (ExposureTimesEqual(exposure, logged)) {
            FLastWrite.Written.push_back(image.FileName);
            continue;
        }
        std::string reason = ToolRefusal(errors, ToolArgumentPath(path));
        if (reason.empty())
            reason = "Die Datei enthält danach " + NumberText(exposure, FSettings) + " statt " +
                     NumberText(logged, FSettings) + ".";
        FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
    }
    MatchAll();
}

} // namespace zelmaro
