#include "workflow/ImageWriterPool.h"

#include "support/Conversions.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "workflow/ExposureSet.h"
#include "workflow/ImageData.h"
#include "workflow/Originals.h"
#include "workflow/Records.h"
#include "workflow/Sidecar.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

namespace zelmaro {

namespace {

using TKind = TWriteOutcome::TKind;

// The lines of each image, or what stopped them: read together in one call
// where that works, else one by one, each meeting a failure itself.
struct TReading {
    std::optional<std::vector<std::string>> Lines;
    std::optional<TKind> Failure; // okCheckStopped, okRefused or okNoTool
    std::string Reason;
};

std::vector<TReading> ReadAll(TMetadataTool& tool, const std::vector<std::string>& paths,
                              const std::vector<std::string>& extraTags)
{
    std::vector<TReading> readings(paths.size());
    if (paths.empty())
        return readings;
    if (const auto together = ReadImagesTogether(tool, paths, extraTags)) {
        for (std::size_t k = 0; k < paths.size(); ++k)
            readings[k].Lines = (*together)[k];
        return readings;
    }
    for (std::size_t k = 0; k < paths.size(); ++k) {
        TReading& reading = readings[k];
        try {
            reading.Lines = ReadImageLines(tool, paths[k], extraTags);
        } catch (const EToolCallFailed& failure) {
            reading.Failure = failure.Reason() == EToolCallFailed::TReason::trStopped
                                  ? TKind::okCheckStopped
                                  : TKind::okRefused;
            reading.Reason = failure.what(); // this image only; the next call has a fresh session
        } catch (const std::exception&) {
            reading.Failure = TKind::okNoTool;
        }
        // What follows a tool that cannot start or a cancel is not read.
        if (reading.Failure && *reading.Failure != TKind::okRefused) {
            for (std::size_t rest = k + 1; rest < paths.size(); ++rest)
                readings[rest].Failure = TKind::okNotBegun;
            break;
        }
    }
    return readings;
}

std::optional<TImageData> Complete(const std::optional<std::vector<std::string>>& lines,
                                   const FormatSettings& settings)
{
    if (!lines)
        return std::nullopt;
    try {
        const TImageData data = ParseImageData(*lines, settings);
        if (data.Complete())
            return data;
    } catch (const ConversionError&) {
        // a date that is no date: not the picture that was read
    }
    return std::nullopt;
}

// The error lines of a call that concern the file at toolPath: those that
// name it, and those that name no file of the call.
std::vector<std::string> ErrorsOf(const std::vector<std::string>& errors,
                                  const std::string& toolPath, const std::vector<std::string>& call)
{
    if (call.size() < 2 || call[call.size() - 2].starts_with("-"))
        return errors; // one file
    std::vector<std::string> lines;
    for (const std::string& line : errors) {
        const bool others = std::any_of(call.begin(), call.end(), [&](const std::string& path) {
            return path != toolPath && !path.starts_with("-") && line.ends_with(" - " + path);
        });
        if (!others)
            lines.push_back(line);
    }
    return lines;
}

// Why the image must not be written before it is read; nullopt when it may be read.
std::optional<std::string> ObstacleBeforeReading(const TWriteTask& task)
{
    if (!FileExists(task.Path))
        return Tr("Die Datei gibt es nicht mehr.");
    // The tool refuses to write beside its own leftover; the user decides.
    if (FileExists(task.Target() + std::string(kToolTemporarySuffix)))
        return Fill(Tr("Neben dem Bild liegt noch \"%1\" von einem abgebrochenen Schreiben. Bitte "
                       "prüfen und entfernen; das Bild wurde nicht geändert."),
                    FileNamePart(task.Target()) + std::string(kToolTemporarySuffix));
    return std::nullopt;
}

// What the tasks' existing sidecars hold, nothing where none does or it
// cannot be read: the write then goes ahead and is read back.
std::vector<TImageData> SidecarData(TMetadataTool& tool, const std::vector<TWriteTask>& tasks,
                                    const std::vector<std::size_t>& which,
                                    const std::vector<std::string>& setTags,
                                    const FormatSettings& settings)
{
    std::vector<TImageData> held(tasks.size());
    std::vector<std::size_t> read;
    std::vector<std::string> paths;
    for (const std::size_t k : which) {
        if (!tasks[k].Sidecar.empty() && FileExists(tasks[k].Sidecar)) {
            read.push_back(k);
            paths.push_back(tasks[k].Sidecar);
        }
    }
    const std::vector<TReading> readings = ReadAll(tool, paths, setTags);
    for (std::size_t r = 0; r < read.size(); ++r)
        if (!readings[r].Failure)
            held[read[r]] = ParseSidecarData(readings[r].Lines, settings);
    return held;
}

} // namespace

std::vector<TWriteOutcome> WriteBatch(TMetadataTool& tool, const std::vector<TWriteTask>& tasks,
                                      const FormatSettings& settings,
                                      const std::function<bool()>& stop, const TWriteWatch& watch,
                                      const std::vector<std::string>& extraTags)
{
    std::vector<TWriteOutcome> outcomes(tasks.size());
    // The checks: the image must still be the picture that was read.
    std::vector<std::size_t> toRead;
    std::vector<bool> asRead(tasks.size(), false);
    std::vector<std::string> paths;
    for (std::size_t k = 0; k < tasks.size(); ++k) {
        const TWriteTask& task = tasks[k];
        if (auto obstacle = ObstacleBeforeReading(task)) {
            outcomes[k].Kind = TKind::okRefused;
            outcomes[k].Reason = std::move(*obstacle);
            continue;
        }
        toRead.push_back(k);
        // An image only its sidecar is written for, still as it was read,
        // needs no reading.
        asRead[k] = !task.Sidecar.empty() && task.Stamp && FileStampOf(task.Path) == task.Stamp;
        if (!asRead[k])
            paths.push_back(task.Path);
    }
    // Where a task writes the whole set the check reads it too: an image
    // (or sidecar) that holds all of it needs no write.
    const bool wholeSet = std::any_of(
        tasks.begin(), tasks.end(), [](const TWriteTask& task) { return HasValues(task.Values); });
    const std::vector<std::string> setTags = wholeSet ? SetReadTags() : std::vector<std::string>();
    const std::vector<TReading> read = ReadAll(tool, paths, setTags);
    std::vector<TReading> checks(toRead.size());
    for (std::size_t r = 0, c = 0; r < toRead.size(); ++r)
        if (!asRead[toRead[r]])
            checks[r] = read[c++];
    const std::vector<TImageData> sidecars = SidecarData(tool, tasks, toRead, setTags, settings);
    // Nothing at or after a tool that cannot start, or a cancel, is written.
    std::size_t end = tasks.size();
    std::vector<std::size_t> toWrite;
    for (std::size_t r = 0; r < toRead.size(); ++r) {
        const std::size_t k = toRead[r];
        const TWriteTask& task = tasks[k];
        TWriteOutcome& outcome = outcomes[k];
        if (checks[r].Failure) {
            outcome.Kind = *checks[r].Failure;
            outcome.Reason = checks[r].Reason;
            if (outcome.Kind != TKind::okRefused) {
                end = std::min(end, k);
                break;
            }
            continue;
        }
        const std::optional<TImageData> data =
            asRead[k] ? TImageData{task.Date, task.Logged} : Complete(checks[r].Lines, settings);
        if (!data || data->Date != task.Date) {
            outcome.Kind = TKind::okRefused;
            outcome.Reason = Tr("Das Bild hat sich seit dem Auslesen geändert.");
        } else if (const TImageData& held = task.Sidecar.empty() ? *data : sidecars[k];
                   ExposureTimesEqual(held.ExposureTime, task.Logged) &&
                   DifferingValues(task.Values, held.Values).empty()) {
            // Written since it was read, by a run before this one.
            outcome.Kind = TKind::okHeld;
            outcome.ExposureTime = held.ExposureTime;
            outcome.Values = held.Values;
        } else if (FileExists(task.Target()) && IsReadOnly(task.Target())) {
            // The tool would replace the file through its directory all the same.
            outcome.Kind = TKind::okRefused;
            outcome.Reason = Tr("Die Datei ist schreibgeschützt.");
        } else {
            toWrite.push_back(k);
        }
    }
    // A new sidecar this program can put itself is made without the tool,
    // whose cost per call is most of a sidecar's; the read-back below
    // checks it all the same. A stop takes effect between two.
    std::vector<std::size_t> written;
    bool begun = false; // the batch's first write asks no stop
    bool stopped = false;
    std::erase_if(toWrite, [&](std::size_t k) {
        const TWriteTask& task = tasks[k];
        if (stopped || k >= end || task.Sidecar.empty() || FileExists(task.Sidecar) ||
            FileExists(task.Sidecar + std::string(kOriginalSuffix)))
            return false;
        const std::optional<std::string> packet = SidecarPacket(task.Logged, task.Values);
        if (!packet)
            return false;
        if (std::exchange(begun, true) && stop && stop()) {
            stopped = true;
            return false;
        }
        if (watch.WriteBegins)
            watch.WriteBegins(task.FileName);
        if (WriteNewSidecar(task.Sidecar, *packet)) {
            written.push_back(k);
        } else {
            outcomes[k].Kind = TKind::okRefused;
            outcomes[k].Reason = Fill(Tr("Die Begleitdatei \"%1\" ließ sich nicht anlegen."),
                                      FileNamePart(task.Sidecar));
        }
        if (watch.WriteEnded)
            watch.WriteEnded();
        return true;
    });
    if (stopped)
        toWrite.clear();
    // A new sidecar the tool writes starts empty, which it then keeps as its original.
    std::vector<bool> created(tasks.size(), false);
    std::erase_if(toWrite, [&](std::size_t k) {
        const std::string& sidecar = tasks[k].Sidecar;
        if (k >= end || sidecar.empty() || FileExists(sidecar))
            return false;
        created[k] = CreateEmptySidecar(sidecar);
        if (created[k])
            return false;
        outcomes[k].Kind = TKind::okRefused;
        outcomes[k].Reason =
            Fill(Tr("Die Begleitdatei \"%1\" ließ sich nicht anlegen."), FileNamePart(sidecar));
        return true;
    });
    // One that was not written is taken away again.
    struct TCreatedSidecars {
        const std::vector<TWriteTask>& Tasks;
        const std::vector<bool>& Created;
        ~TCreatedSidecars()
        {
            for (std::size_t k = 0; k < Tasks.size(); ++k)
                if (Created[k])
                    RemoveEmptySidecar(Tasks[k].Sidecar);
        }
    } createdSidecars{tasks, created};

    // The writes, never stopped once begun; a stop takes effect between two.
    // Images that take the same value go in one call: the tool's cost is
    // mostly per call, not per image.
    std::vector<bool> grouped(tasks.size(), false);
    for (std::size_t first : toWrite) {
        if (first >= end)
            break;
        if (grouped[first])
            continue;
        if (std::exchange(begun, true) && stop && stop())
            break;
        const std::vector<std::string>& arguments = tasks[first].Arguments;
        std::vector<std::size_t> group;
        std::vector<std::string> call(arguments.begin(), arguments.end() - 1);
        for (std::size_t k : toWrite) {
            const std::vector<std::string>& other = tasks[k].Arguments;
            if (k >= end || grouped[k] || other.size() != arguments.size() ||
                !std::equal(other.begin(), other.end() - 1, arguments.begin()))
                continue;
            grouped[k] = true;
            group.push_back(k);
            call.push_back(other.back());
        }
        std::vector<std::string> output; // collected, never read
        std::vector<std::string> errors;
        if (watch.WriteBegins)
            watch.WriteBegins(tasks[first].FileName);
        try {
            tool.RunWrite(call, output, errors);
            for (std::size_t k : group) {
                outcomes[k].ErrorLines = ErrorsOf(errors, tasks[k].Arguments.back(), call);
                written.push_back(k);
            }
        } catch (const EToolCallFailed& failure) {
            // Never run again: what the tool left is the user's to look at.
            for (std::size_t k : group) {
                outcomes[k].Kind = TKind::okWriteEnded;
                outcomes[k].Reason = failure.what();
            }
        } catch (const std::exception&) {
            for (std::size_t k : group)
                outcomes[k].Kind = TKind::okNoTool;
            end = group.front();
        }
        if (watch.WriteEnded)
            watch.WriteEnded();
    }
    std::sort(written.begin(), written.end());
    // Behind a tool that cannot start or a cancel nothing was begun.
    for (std::size_t k = end + 1; k < tasks.size(); ++k)
        outcomes[k] = {};

    // What was written is read back, cancel or not.
    if (written.empty())
        return outcomes;
    if (watch.ReadingBack)
        watch.ReadingBack(true);
    paths.clear();
    for (std::size_t k : written)
        paths.push_back(tasks[k].Target());
    std::vector<TReading> readBacks;
    try {
        std::vector<std::string> tags = extraTags;
        tags.insert(tags.end(), setTags.begin(), setTags.end());
        readBacks = ReadAll(tool, paths, tags);
    } catch (...) {
        if (watch.ReadingBack)
            watch.ReadingBack(false);
        throw;
    }
    if (watch.ReadingBack)
        watch.ReadingBack(false);
    for (std::size_t r = 0; r < written.size(); ++r) {
        const TWriteTask& task = tasks[written[r]];
        TWriteOutcome& outcome = outcomes[written[r]];
        if (!task.Sidecar.empty()) {
            // A sidecar has no date of ours; what it holds is the answer.
            if (!readBacks[r].Lines) {
                outcome.Kind = TKind::okUnreadable;
                continue;
            }
            const TImageData held = ParseSidecarData(readBacks[r].Lines, settings);
            outcome.Kind = TKind::okWritten;
            outcome.ExposureTime = held.ExposureTime;
            outcome.Values = held.Values;
            outcome.ReadBackLines = *readBacks[r].Lines;
            continue;
        }
        const std::optional<TImageData> data = Complete(readBacks[r].Lines, settings);
        if (!data) {
            outcome.Kind = TKind::okUnreadable;
            continue;
        }
        outcome.Kind = TKind::okWritten;
        outcome.ExposureTime = data->ExposureTime;
        outcome.ReadBackLines = *readBacks[r].Lines;
        outcome.Values = data->Values;
    }
    return outcomes;
}

TImageWriterPool::TImageWriterPool(const std::vector<TMetadataTool*>& tools,
                                   const FormatSettings& settings,
                                   std::vector<std::string> extraTags)
    : FSettings(settings), FExtraTags(std::move(extraTags))
{
    try {
        for (TMetadataTool* tool : tools) {
            FWriters.push_back(std::make_unique<TWriter>());
            TWriter& writer = *FWriters.back();
            writer.Tool = tool;
            // A stop ends a check's read, never a write nor a read-back.
            tool->SetWaitHook([this, &writer](const TToolWait& wait) {
                return wait.Waited.count() < kCallGraceMs || !FStop.load() ||
                       !writer.ReadsStoppable.load();
            });
            writer.Thread = std::thread([this, &writer] { Serve(writer); });
        }
    } catch (...) {
        Finish();
        throw;
    }
}

TImageWriterPool::~TImageWriterPool()
{
    Finish();
}

bool TImageWriterPool::HasRoom()
{
    const std::lock_guard<std::mutex> lock(FMutex);
    for (const auto& writer : FWriters) {
        if (writer->Jobs.size() + writer->Busy < 2)
            return true;
    }
    return false;
}

void TImageWriterPool::Write(std::vector<TWriteTask> tasks)
{
    const std::size_t first = FOutcomes.Number(tasks.size());
    const std::lock_guard<std::mutex> lock(FMutex);
    TWriter* least = FWriters.front().get();
    for (const auto& writer : FWriters) {
        if (writer->Jobs.size() + writer->Busy < least->Jobs.size() + least->Busy)
            least = writer.get();
    }
    least->Jobs.push_back({first, std::move(tasks)});
    least->Wake.notify_one();
}

std::optional<TWriteOutcome> TImageWriterPool::Take(std::size_t number, int timeoutMs)
{
    return FOutcomes.Take(number, timeoutMs);
}

std::optional<std::pair<std::string, std::chrono::milliseconds>> TImageWriterPool::LongestWrite()
{
    const std::lock_guard<std::mutex> lock(FMutex);
    const auto now = std::chrono::steady_clock::now();
    std::optional<std::pair<std::string, std::chrono::milliseconds>> longest;
    for (const auto& writer : FWriters) {
        if (writer->Writing.empty())
            continue;
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - writer->Since);
        if (!longest || waited > longest->second)
            longest = std::pair(writer->Writing, waited);
    }
    return longest;
}

void TImageWriterPool::Finish()
{
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
        FEnding = true;
        for (const auto& writer : FWriters)
            writer->Wake.notify_one();
    }
    for (const auto& writer : FWriters) {
        if (writer->Thread.joinable())
            writer->Thread.join();
    }
}

void TImageWriterPool::Serve(TWriter& writer)
{
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        writer.Wake.wait(lock, [&] { return FEnding || !writer.Jobs.empty(); });
        if (writer.Jobs.empty())
            return;
        TJob job = std::move(writer.Jobs.front());
        writer.Jobs.pop_front();
        std::vector<TWriteOutcome> outcomes(job.Tasks.size());
        // A batch no writer has begun is dropped by a stop.
        if (!FStop) {
            writer.Busy = true;
            lock.unlock();
            TWriteWatch watch;
            watch.WriteBegins = [&](const std::string& name) {
                const std::lock_guard<std::mutex> guard(FMutex);
                writer.Writing = name;
                writer.Since = std::chrono::steady_clock::now();
            };
            watch.WriteEnded = [&] {
                const std::lock_guard<std::mutex> guard(FMutex);
                writer.Writing.clear();
            };
            watch.ReadingBack = [&](bool readingBack) { writer.ReadsStoppable = !readingBack; };
            try {
                outcomes = WriteBatch(
                    *writer.Tool, job.Tasks, FSettings, [this] { return FStop.load(); }, watch,
                    FExtraTags);
            } catch (...) {
                // Only a broken promise of the tool gets here; its images count
                // as not read back.
                for (TWriteOutcome& outcome : outcomes)
                    outcome.Kind = TKind::okUnreadable;
            }
            lock.lock();
            writer.Busy = false;
        }
        FOutcomes.Put(job.First, std::move(outcomes));
    }
}

} // namespace zelmaro
