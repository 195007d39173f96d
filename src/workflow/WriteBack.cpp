#include "workflow/WriteBack.h"

#include "support/Conversions.h"
#include "support/FormatText.h"
#include "support/MessageBoxes.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "workflow/ExifToolSession.h"
#include "workflow/ExposureSet.h"
#include "workflow/ImageData.h"
#include "workflow/OperationScope.h"
#include "workflow/Sidecar.h"
#include "workflow/StatusTexts.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

namespace zelmaro {

std::string ExposureValueText(double exposureTime, const FormatSettings& settings)
{
    // The tool wants a decimal point, whatever the user's separator is.
    std::string text = NumberText(exposureTime, settings);
    if (const auto pos = text.find(settings.DecimalSeparator); pos != std::string::npos)
        text[pos] = '.';
    return text;
}

std::vector<std::string> ExposureWriteArguments(double exposureTime, const std::string& path,
                                                const FormatSettings& settings)
{
    // The APEX value too, so that no reader goes on showing the old time.
    const std::string value = ExposureValueText(exposureTime, settings);
    return {"-ExposureTime=" + value, "-ShutterSpeedValue=" + value, "-P", ToolArgumentPath(path)};
}

void TWorkflow::SetImageExposureTime(const TImageItem& image, double exposureTime, bool fromSidecar)
{
    const auto [first, last] = FImages.equal_range(image.Date);
    for (auto it = first; it != last; ++it) {
        if (&it->second == &image) {
            it->second.ExposureTime = exposureTime;
            it->second.ExposureFromSidecar = fromSidecar;
            return;
        }
    }
}

std::optional<double> BulbDuration(const std::vector<std::string>& lines)
{
    std::optional<double> duration;
    for (const std::string& line : lines) {
        const auto colon = line.find(':');
        if (line.find("Bulb Duration") == std::string::npos || colon == std::string::npos)
            continue;
        std::string_view text = std::string_view(line).substr(colon + 1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size())
            duration = value;
    }
    return duration;
}

std::string WriteFailureMessage(const std::vector<TWriteFailure>& failures)
{
    std::vector<std::string> lines;
    for (const TWriteFailure& failure : failures)
        lines.push_back("\"" + failure.FileName + "\": " + failure.Reason);
    return Fill(TrN("Ein Bild hat den Wert nicht übernommen:",
                    "%1 Bilder haben den Wert nicht übernommen:", failures.size()),
                failures.size()) +
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

// The most images a writer checks, writes and reads back as one batch.
constexpr std::size_t kWriteBatch = 16;
// How long the write waits for an outcome before it asks for events again.
constexpr int kWriteEventsMs = 50;

// How long a writer waits for another to finish with the directory.
constexpr int kLockWaitMs = 3000;
constexpr int kLockRetryMs = 100;

// What a write cut short left beside the image, for the user to act on.
std::string LeftoverText(const std::string& directory, const std::string& name)
{
    std::string text;
    const std::string original = name + std::string(kOriginalSuffix);
    if (!FileExists(JoinPath(directory, name)) && FileExists(JoinPath(directory, original)))
        text += " " + Fill(Tr("Das Bild fehlt; sein Original liegt als \"%1\" bereit und lässt "
                              "sich wiederherstellen."),
                           original);
    const std::string temporary = name + std::string(kToolTemporarySuffix);
    if (FileExists(JoinPath(directory, temporary)))
        text += " " + Fill(Tr("\"%1\" blieb übrig und wurde nicht gelöscht."), temporary);
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
    FHost.ShowWarning(Fill(Tr("In \"%1\" schreibt gerade ein anderes Zelmaro. Es wurde nichts "
                              "geändert; bitte später noch einmal versuchen."),
                           directory),
                      kAppCaption);
    return nullptr;
}

void TWorkflow::StopWriting(const TImageItem& image, const std::string& message, std::string reason)
{
    FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
    FLastWrite.Stopped = true;
    // TRANSLATORS: what went wrong ("Fehler beim Ändern von Bild") and the image.
    FHost.ShowError(Fill(Tr("%1 \"%2\"!"), message, image.FileName), kAppCaption);
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

std::vector<TWriteTask> TWorkflow::WriteTasks(const std::string& directory,
                                              std::vector<const TImageItem*>& images) const
{
    std::vector<TWriteTask> tasks;
    const TSidecarFiles sidecars(directory, FSidecar);
    for (const TMatchItem& item : FMatches) {
        if (!item.Checked || !item.Image || !item.Shot ||
            !IsWritableExposureTime(item.Shot->ExposureTime))
            continue;
        const std::string path = JoinPath(directory, item.Image->FileName);
        const std::string sidecar =
            FSidecar == TSidecar::svNone ? std::string() : sidecars.PathFor(item.Image->FileName);
        const TImageValues set = LoggedSet(*item.Shot);
        TWriteTask task{
            path, item.Image->FileName, item.Image->Date, item.Shot->ExposureTime,
            WithSetArguments(ExposureWriteArguments(item.Shot->ExposureTime,
                                                    sidecar.empty() ? path : sidecar, FSettings),
                             set, FSettings)};
        task.Sidecar = sidecar;
        if (!sidecar.empty())
            task.Stamp = item.Image->Stamp;
        task.Values = set;
        tasks.push_back(std::move(task));
        images.push_back(item.Image);
    }
    return tasks;
}

std::string TWorkflow::WriteArgumentFile() const
{
    std::vector<const TImageItem*> images;
    std::string text;
    bool first = true;
    for (const TWriteTask& task : WriteTasks(FImagesDirectory, images)) {
        // A name the file cannot carry on a line is named in a comment.
        if (!std::all_of(task.Arguments.begin(), task.Arguments.end(),
                         TExifToolSession::FitsArgumentLine)) {
            std::string name = task.FileName;
            std::replace_if(
                name.begin(), name.end(),
                [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
            text += Fill(Tr("# %1: passt nicht in eine Argumentdatei"), name) + '\n';
            continue;
        }
        if (!std::exchange(first, false))
            text += "-execute\n";
        for (const std::string& argument : task.Arguments)
            text += argument + '\n';
    }
    return text;
}

void TWorkflow::ReportSlowWrite(const std::string& name, long long waitedMs)
{
    // A slow share or card is waited for, never cut short: say so.
    constexpr long long kReportEveryMs = 10000;
    if (name != FWritingName) {
        FWritingName = name;
        FSlowWriteReports = 0;
    }
    const long long reports = waitedMs / kReportEveryMs;
    if (reports > FSlowWriteReports) {
        FSlowWriteReports = reports;
        ShowStatus(Fill(Tr("Warte auf exiftool: \"%1\" wird seit %2 s geschrieben."), FWritingName,
                        std::to_string(reports * kReportEveryMs / 1000)));
    }
}

void TWorkflow::TakeWriteOutcome(const TWriteTask& task, const TImageItem& image,
                                 TWriteOutcome outcome, std::optional<TWriteStop>& stop)
{
    using TKind = TWriteOutcome::TKind;
    const std::string& directory = FImagesDirectory;
    const auto stopHere = [&](std::string message, std::string reason) {
        if (stop)
            FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
        else
            stop = TWriteStop{&image, std::move(message), std::move(reason)};
    };
    switch (outcome.Kind) {
    case TKind::okNotBegun:
        break;
    case TKind::okCheckStopped:
        FLastWrite.Cancelled = true;
        break;
    case TKind::okRefused:
        FLastWrite.Failed.push_back({image.FileName, std::move(outcome.Reason)});
        break;
    case TKind::okHeld:
        SetImageExposureTime(image, outcome.ExposureTime, !task.Sidecar.empty());
        if (HasValues(task.Values))
            SetImageValues(image, outcome.Values);
        FLastWrite.Written.push_back(image.FileName);
        break;
    case TKind::okWriteEnded:
        FLastWrite.Failed.push_back(
            {image.FileName,
             outcome.Reason + LeftoverText(directory, FileNamePart(task.Target()))});
        break;
    case TKind::okNoTool:
        stopHere(Tr("Fehler beim Ändern von Bild"), Tr("exiftool ließ sich nicht starten."));
        break;
    case TKind::okUnreadable:
        stopHere(Tr("Fehler beim Auslesen von Bild"),
                 (task.Sidecar.empty()
                      ? Tr("Das Bild ließ sich nach dem Schreiben nicht mehr auslesen.")
                      : Fill(Tr("Die Begleitdatei \"%1\" ließ sich nach dem Schreiben nicht mehr "
                                "auslesen."),
                             FileNamePart(task.Sidecar))) +
                     LeftoverText(directory, FileNamePart(task.Target())));
        break;
    case TKind::okWritten: {
        SetImageExposureTime(image, outcome.ExposureTime, !task.Sidecar.empty());
        std::string setFailures;
        if (HasValues(task.Values)) {
            SetImageValues(image, outcome.Values);
            setFailures = ReadBackFailures(task.Values, outcome.Values, FSettings);
        }
        const bool exposureHeld = ExposureTimesEqual(outcome.ExposureTime, task.Logged);
        if (exposureHeld && setFailures.empty()) {
            FLastWrite.Written.push_back(image.FileName);
            // Readers that prefer the camera's bulb duration show that instead.
            const std::optional<double> bulb = BulbDuration(outcome.ReadBackLines);
            if (bulb && *bulb > 0 && !ExposureTimesEqual(*bulb, task.Logged))
                FLastWrite.Notes.push_back(
                    {image.FileName,
                     Fill(Tr("Die Datei trägt außerdem eine Bulb-Dauer von %1 s (BulbDuration), "
                             "die manche Programme statt der Belichtungszeit zeigen."),
                          NumberText(*bulb, FSettings))});
            break;
        }
        std::string reason = ToolRefusal(outcome.ErrorLines, ToolArgumentPath(task.Target()));
        if (reason.empty() && !exposureHeld)
            reason =
                task.Sidecar.empty()
                    ? Fill(Tr("Die Datei enthält danach %1 statt %2."),
                           NumberText(outcome.ExposureTime, FSettings),
                           NumberText(task.Logged, FSettings))
                    : Fill(Tr("Die Begleitdatei \"%1\" enthält danach %2 statt %3."),
                           FileNamePart(task.Sidecar), NumberText(outcome.ExposureTime, FSettings),
                           NumberText(task.Logged, FSettings));
        if (!setFailures.empty())
            reason += (reason.empty() ? "" : " ") + setFailures;
        FLastWrite.Failed.push_back({image.FileName, std::move(reason)});
        break;
    }
    }
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
    if (FProgress) {
        FProgress->SetFirstCaption(Tr("Bearbeite Verzeichnis:"));
        FProgress->SetDirectory(directory);
        FProgress->ShowFileLine();
        FProgress->SetThirdCaption(Tr("Schreibe Daten in Datei:"));
        FProgress->SetFileName("");
        FProgress->ShowNow();
    }
    std::vector<const TImageItem*> images;
    const std::vector<TWriteTask> tasks = WriteTasks(directory, images);
    const std::size_t writers = std::min(ScanReaderCount(), tasks.size() / 2);
    std::optional<TWriteStop> stop =
        writers > 1 ? WriteAtOnce(tasks, images, writers) : WriteInTurn(tasks, images);
    if (stop) {
        StopWriting(*stop->Image, stop->Message, std::move(stop->Reason));
        return;
    }
    MatchAll();
}

std::optional<TWorkflow::TWriteStop>
TWorkflow::WriteInTurn(const std::vector<TWriteTask>& tasks,
                       const std::vector<const TImageItem*>& images)
{
    // Images one at a time where the tool cannot read several in one call,
    // so that each is checked, written and read back before the next.
    const std::size_t batch =
        Tool().SeparatesFiles() ? std::clamp<std::size_t>(tasks.size() / 2, 1, kWriteBatch) : 1;
    TWriteWatch watch;
    watch.WriteBegins = [this](const std::string& name) {
        FWritingName = name;
        FSlowWriteReports = 0;
    };
    watch.WriteEnded = [this] {
        if (FSlowWriteReports > 0)
            ShowStatus("");
    };
    watch.ReadingBack = [this](bool readingBack) { FReadsStoppable = !readingBack; };
    std::optional<TWriteStop> stop;
    for (std::size_t handed = 0; handed < tasks.size() && !stop;) {
        if (FProgress)
            FProgress->SetFileName(tasks[handed].FileName);
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested()) {
            FLastWrite.Cancelled = true;
            break;
        }
        const std::size_t count = std::min(batch, tasks.size() - handed);
        const std::vector<TWriteTask> part(tasks.begin() + static_cast<std::ptrdiff_t>(handed),
                                           tasks.begin() +
                                               static_cast<std::ptrdiff_t>(handed + count));
        std::vector<TWriteOutcome> outcomes = WriteBatch(
            Tool(), part, FSettings, [this] { return FHost.CancelRequested(); }, watch,
            ReadBackTags());
        for (std::size_t k = 0; k < count; ++k) {
            if (outcomes[k].Kind == TWriteOutcome::TKind::okNotBegun)
                FLastWrite.Cancelled = true;
            TakeWriteOutcome(part[k], *images[handed + k], std::move(outcomes[k]), stop);
        }
        handed += count;
    }
    return stop;
}

std::optional<TWorkflow::TWriteStop>
TWorkflow::WriteAtOnce(const std::vector<TWriteTask>& tasks,
                       const std::vector<const TImageItem*>& images, std::size_t writers)
{
    // The command's session is the first writer, as it is the scan's first
    // reader: one start of the tool fewer. It hears the command again after.
    TPoolTools owned(*this);
    std::vector<TMetadataTool*> tools;
    const TWaitHookLoan lent(FSession && !FScanToolFactory ? FSession.get() : nullptr);
    for (std::size_t k = 0; k < writers; ++k) {
        if (k == 0 && lent.Tool()) {
            tools.push_back(lent.Tool());
            continue;
        }
        tools.push_back(owned.Add());
        if (auto* session = dynamic_cast<TExifToolSession*>(tools.back()))
            session->StartNow();
    }
    const bool together = std::all_of(tools.begin(), tools.end(), [](const TMetadataTool* tool) {
        return tool->SeparatesFiles();
    });
    const std::size_t batch =
        together ? std::clamp<std::size_t>(tasks.size() / (2 * writers), 1, kWriteBatch) : 1;
    TImageWriterPool pool(tools, FSettings, ReadBackTags());

    // Only this thread talks to the host and the lists. It hands batches out
    // while no cancel and no failure stopped the write, and takes the
    // outcomes back in table order, asking for events meanwhile.
    std::optional<TWriteStop> stop;
    std::size_t handed = 0;
    std::size_t taken = 0;
    bool cancelled = false;
    bool unbegun = false;
    for (;;) {
        FHost.ProcessPendingEvents();
        cancelled = cancelled || FHost.CancelRequested();
        if (cancelled || stop)
            pool.Stop();
        if (!cancelled && !stop && handed < tasks.size() && pool.HasRoom()) {
            const std::size_t count = std::min(batch, tasks.size() - handed);
            if (FProgress && handed == taken)
                FProgress->SetFileName(tasks[handed].FileName);
            pool.Write({tasks.begin() + static_cast<std::ptrdiff_t>(handed),
                        tasks.begin() + static_cast<std::ptrdiff_t>(handed + count)});
            handed += count;
            continue;
        }
        if (taken == handed)
            break;
        if (const auto longest = pool.LongestWrite())
            ReportSlowWrite(longest->first, longest->second.count());
        else if (std::exchange(FSlowWriteReports, 0) > 0)
            ShowStatus("");
        std::optional<TWriteOutcome> outcome = pool.Take(taken, kWriteEventsMs);
        if (!outcome)
            continue;
        unbegun = unbegun || outcome->Kind == TWriteOutcome::TKind::okNotBegun;
        TakeWriteOutcome(tasks[taken], *images[taken], std::move(*outcome), stop);
        ++taken;
        if (FProgress && taken < handed)
            FProgress->SetFileName(tasks[taken].FileName);
    }
    pool.Finish();
    if (cancelled && (unbegun || handed < tasks.size()))
        FLastWrite.Cancelled = true;
    return stop;
}

} // namespace zelmaro
