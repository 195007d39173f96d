#include "workflow/PictureScan.h"

#include "platform/Cores.h"
#include "support/Conversions.h"
#include "support/FileSearch.h"
#include "support/MessageBoxes.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "workflow/ExposureSet.h"
#include "workflow/ImageReaderPool.h"
#include "workflow/OperationScope.h"
#include "workflow/ShotLog.h"
#include "workflow/Sidecar.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <utility>

namespace zelmaro {

namespace {

// The classic formats, then today's raw and HEIF formats, all of which the
// tool can write.
constexpr std::array<const char*, 25> kImageMasks = {
    "*.CR2", "*.CRW", "*.DNG",  "*.JPG", "*.JPEG", "*.MRW",  "*.NEF", "*.ORF", "*.PEF",
    "*.PSD", "*.TIF", "*.TIFF", "*.CR3", "*.ARW",  "*.SR2",  "*.RAF", "*.RW2", "*.RWL",
    "*.NRW", "*.SRW", "*.IIQ",  "*.ERF", "*.X3F",  "*.HEIC", "*.HEIF"};

// How long the scan waits for a reading before it asks for events again.
constexpr int kScanEventsMs = 50;
// The most images a reader gets in one call. Each call costs the tool
// about what a small image does; past some 32 images a call saves no more.
constexpr std::size_t kScanBatch = 32;

std::string ReadingError(const std::string& fileName)
{
    return Fill(Tr("Fehler beim Auslesen von Bild \"%1\"!"), fileName);
}

} // namespace

TDirectoryField TWorkflow::ReadPictures(const std::string& directory)
{
    const TDirectoryField field = ScanWithProgress(directory);
    ClearShots();
    // Where the field is emptied, the bare name is looked for, as the
    // button would find it from there.
    FLogFileFound = FileExists(JoinPath(
        field == TDirectoryField::dfEmpty ? std::string() : directory, std::string(kLogFileName)));
    MatchAll();
    return field;
}

void TWorkflow::ReadPicturesAgain()
{
    const std::string directory = FImagesDirectory;
    ScanWithProgress(directory);
    MatchAll();
}

TDirectoryField TWorkflow::ScanWithProgress(const std::string& directory)
{
    TOperationScope operation(FHost, FProgress);
    TToolSessionScope session(*this);
    ShowStatus(""); // a report on other pictures
    if (FProgress) {
        FProgress->SetDirectory(directory);
        FProgress->ShowNow();
    }
    return Scan(directory) == TScanEnd::seNoImages ? TDirectoryField::dfEmpty
                                                   : TDirectoryField::dfKeep;
}

std::vector<std::string> ImageFileNames(const std::string& directory, std::string_view suffix)
{
    std::vector<std::string> names;
    for (const char* mask : kImageMasks) {
        for (const std::string& path :
             FindFiles(JoinPath(directory, mask + std::string(suffix)), false, false, true, false))
            names.push_back(FileNamePart(path));
    }
    return names;
}

bool TWorkflow::ScanPictures(const std::string& directory)
{
    return Scan(directory) == TScanEnd::seRead;
}

TWorkflow::TScanEnd TWorkflow::Scan(const std::string& directory)
{
    ClearImages();
    FImagesDirectory = directory;
    FLastScan = {};
    FScanReadSet = FWriteAll;
    const std::vector<std::string> names = ImageFileNames(directory);
    FLastScan.Found = names.size();
    if (FProgress)
        FProgress->ShowFoundCount(static_cast<int>(names.size()));
    if (names.empty()) {
        FHost.ShowWarning(Tr("In diesem Verzeichnis existieren keine Bilder!"), kAppCaption);
        return TScanEnd::seNoImages;
    }
    if (FProgress)
        FProgress->ShowFileLine();
    // The sidecars first: they are small, and an image is listed with the
    // value its raw developer will use or not at all.
    const std::optional<std::map<std::string, TImageData>> sidecars =
        ReadSidecars(directory, names);
    if (!sidecars) {
        FLastScan.Cancelled = true;
        return TScanEnd::seRead;
    }
    // Taken before the reading, so that a change while it reads shows later.
    std::map<std::string, TFileStamp> stamps;
    if (FSidecar != TSidecar::svNone)
        for (const std::string& name : names)
            if (const auto stamp = FileStampOf(JoinPath(directory, name)))
                stamps.emplace(name, *stamp);
    const std::size_t readers = ScanReaderCount();
    const bool read = readers > 1 ? ReadImagesAtOnce(directory, names, readers)
                                  : ReadImagesInTurn(directory, names);
    for (auto& [date, image] : FImages) {
        if (const auto it = sidecars->find(image.FileName); it != sidecars->end()) {
            const TImageData& held = it->second;
            if (held.ExposureTime > 0) {
                image.ExposureTime = held.ExposureTime;
                image.ExposureFromSidecar = true;
            }
            // What the sidecar holds of the set is what the raw developer shows.
            image.Values = Overlaid(image.Values, held.Values);
        }
        if (const auto it = stamps.find(image.FileName); it != stamps.end())
            image.Stamp = it->second;
    }
    FLastScan.Read = FImages.size();
    FLastScan.Cancelled = FHost.CancelRequested() && FLastScan.Read < FLastScan.Found;
    return read ? TScanEnd::seRead : TScanEnd::seUnreadable;
}

std::size_t TWorkflow::ScanReaderCount() const
{
    // A replaced tool is one object, which one thread uses.
    if (FTool && !FScanToolFactory)
        return 1;
    return FScanReaders != 0 ? FScanReaders : std::clamp(UsableCoreCount(), 1u, kMaxScanReaders);
}

bool TWorkflow::ReadImagesInTurn(const std::string& directory,
                                 const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested())
            break;
        if (FProgress)
            FProgress->SetFileName(name);
        const std::optional<TImageData> data = ReadImageDataOrNone(JoinPath(directory, name));
        if (!data) {
            if (FHost.CancelRequested())
                break; // the cancel stopped this reading
            return ReportUnreadable(name);
        }
        AddImage({name, data->Date, data->ExposureTime, data->Values});
    }
    return true;
}

bool TWorkflow::ReadImagesAtOnce(const std::string& directory,
                                 const std::vector<std::string>& names, std::size_t readers)
{
    // The command's session is the first reader's, so that it ends with the
    // command as before; the others are the pool's own and end with it (or
    // wait for the next command while sessions are held).
    TPoolTools owned(*this);
    std::vector<TMetadataTool*> tools;
    // The readers' threads must not touch the host: a cancel reaches their
    // calls through this flag. The command's session hears the command again
    // once the pool is done.
    std::atomic<bool> stop = false;
    const TWaitHook readerHook = ReaderWaitHook(stop);
    const TWaitHookLoan lent(FSession && !FScanToolFactory ? FSession.get() : nullptr);
    for (std::size_t k = 0; k < readers; ++k) {
        if (k == 0 && lent.Tool()) {
            tools.push_back(lent.Tool());
        } else {
            tools.push_back(owned.Add());
        }
        tools.back()->SetWaitHook(readerHook);
        // Side by side, rather than each at its first image.
        if (auto* session = dynamic_cast<TExifToolSession*>(tools.back()))
            session->StartNow();
    }
    TImageReaderPool pool(tools, FSettings, ScanTags());

    // Only this thread talks to the host and the lists. It hands an image out
    // only after asking for a cancel, gathers them into batches for tools that
    // read several at once, keeps a few batches per reader in flight and takes
    // the readings back in name order, asking for events meanwhile.
    const bool together = std::all_of(tools.begin(), tools.end(), [](const TMetadataTool* tool) {
        return tool->SeparatesFiles();
    });
    const std::size_t batch =
        together ? std::clamp<std::size_t>(names.size() / (2 * readers), 1, kScanBatch) : 1;
    const std::size_t inFlight = 2 * readers * batch;
    std::vector<std::string> paths;
    const auto send = [&] {
        if (!paths.empty())
            pool.Read(std::exchange(paths, {}));
    };
    std::size_t handedOut = 0;
    std::size_t taken = 0;
    bool cancelled = false;
    for (;;) {
        FHost.ProcessPendingEvents();
        cancelled = cancelled || FHost.CancelRequested();
        stop = cancelled;
        // A batch is begun only where it fits whole.
        if (!cancelled && handedOut < names.size() &&
            (!paths.empty() || handedOut - taken + batch <= inFlight)) {
            paths.push_back(JoinPath(directory, names[handedOut]));
            if (FProgress && handedOut == taken)
                FProgress->SetFileName(names[handedOut]);
            ++handedOut;
            if (paths.size() == batch || handedOut == names.size())
                send();
            continue;
        }
        send(); // what was handed out before a cancel
        if (taken == handedOut)
            return true; // every image handed out is in the list
        std::optional<TImageReading> reading = pool.Take(taken, kScanEventsMs);
        if (!reading)
            continue;
        if (reading->Error)
            std::rethrow_exception(reading->Error);
        if (cancelled && !reading->Readable) {
            pool.Finish(); // the cancel stopped this reading: the scan ends here
            return true;
        }
        if (!reading->Readable || !reading->Data.Complete()) {
            pool.Finish(); // none reads on behind the message
            return ReportUnreadable(names[taken]);
        }
        AddImage(
            {names[taken], reading->Data.Date, reading->Data.ExposureTime, reading->Data.Values});
        ++taken;
        if (FProgress && taken < handedOut)
            FProgress->SetFileName(names[taken]);
    }
}

std::optional<std::map<std::string, TImageData>>
TWorkflow::ReadSidecars(const std::string& directory, const std::vector<std::string>& names)
{
    std::map<std::string, TImageData> exposures;
    if (FSidecar == TSidecar::svNone)
        return exposures;
    const TSidecarFiles sidecars(directory, FSidecar);
    std::vector<std::string> owners;
    for (const std::string& name : names)
        if (sidecars.Exists(name))
            owners.push_back(name);
    for (std::size_t first = 0; first < owners.size(); first += kScanBatch) {
        FHost.ProcessPendingEvents();
        if (FHost.CancelRequested())
            return std::nullopt;
        const std::vector<std::string> part(
            owners.begin() + static_cast<std::ptrdiff_t>(first),
            owners.begin() +
                static_cast<std::ptrdiff_t>(std::min(first + kScanBatch, owners.size())));
        std::vector<std::string> paths;
        for (const std::string& name : part)
            paths.push_back(sidecars.PathFor(name));
        if (FProgress)
            FProgress->SetFileName(FileNamePart(paths.front()));
        std::vector<std::optional<std::vector<std::string>>> lines;
        try {
            if (auto together = ReadImagesTogether(Tool(), paths, ScanTags())) {
                lines = std::move(*together);
            } else {
                for (const std::string& path : paths)
                    lines.push_back(ReadImageLines(Tool(), path, ScanTags()));
            }
        } catch (const EToolCallFailed& failure) {
            if (failure.Reason() == EToolCallFailed::TReason::trStopped)
                return std::nullopt;
            continue; // these sidecars count as holding nothing
        } catch (const std::exception&) {
            return exposures; // no tool: the images' reading tells the user
        }
        for (std::size_t k = 0; k < part.size(); ++k) {
            exposures[part[k]] = ParseSidecarData(lines[k], FSettings);
        }
    }
    return exposures;
}

bool TWorkflow::ReportUnreadable(const std::string& name)
{
    FHost.ShowError(ReadingError(name), kAppCaption);
    FHost.RequestTerminate();
    return false;
}

std::optional<TImageData> TWorkflow::ReadImageData(const std::string& path)
{
    const std::optional<std::vector<std::string>> lines = ReadImageLines(Tool(), path, ScanTags());
    if (!lines)
        return std::nullopt;
    TImageData data = ParseImageData(*lines, FSettings);
    if (!data.Complete())
        return std::nullopt;
    return data;
}

std::optional<TImageData> TWorkflow::ReadImageDataOrNone(const std::string& path)
{
    try {
        return ReadImageData(path);
    } catch (const ConversionError&) {
        throw; // a date that is no date ends the command as a general error
    } catch (const std::exception&) {
        return std::nullopt; // the image counts as unreadable, which the user is told
    }
}

} // namespace zelmaro
