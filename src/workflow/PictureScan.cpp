#include "platform/Cores.h"
#include "support/FileSearch.h"
#include "support/MessageBoxes.h"
#include "support/Paths.h"
#include "workflow/ImageReaderPool.h"
#include "workflow/OperationScope.h"
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

std::string FileNamePart(const std::string& path)
{
    const auto slash = path.find_last_of(kNativePathStyle == TPathStyle::psWindows ? "\\/:" : "/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A call under way is let finish for this long before a cancel stops it
// (a read) or the window hears of it, so that a cancel keeps what is read
// at the usual speed, and only a hanging read is cut short.
constexpr int kCallGraceMs = 500;

// How long the scan waits for a reading before it asks for events again.
constexpr int kScanEventsMs = 50;
// The most images a reader gets in one call. Each call costs the tool
// about what a small image does; past some 32 images a call saves no more.
constexpr std::size_t kScanBatch = 32;

std::string ReadingError(const std::string& fileName)
{
    return "Fehler beim Auslesen von Bild \"" + fileName + "\"!";
}

} // namespace

bool TWorkflow::LocateExifTool()
{
    if (auto tool = FindExifTool()) {
        FExifTool = std::move(*tool);
        return true;
    }
    FHost.ShowError(MissingExifToolMessage(), kAppCaption);
    FHost.RequestTerminate();
    return false;
}

TWorkflow::TToolSessionScope::TToolSessionScope(TWorkflow& flow) : FFlow(flow)
{
    // A replaced tool stays as it is; the session itself starts at first use.
    if (FFlow.FUseSession && !FFlow.FTool && !FFlow.FSession && !FFlow.FExifTool.empty()) {
        FFlow.FSession = std::make_unique<TExifToolSession>(FFlow.FExifTool, FFlow.FReadBoundMs);
        FOwner = true;
    }
    FFlow.Tool().SetWaitHook(FFlow.CommandWaitHook());
}

TWorkflow::TToolSessionScope::~TToolSessionScope()
{
    if (FOwner)
        FFlow.FSession.reset();
}

TMetadataTool& TWorkflow::Tool()
{
    if (FTool)
        return *FTool;
    if (FSession)
        return *FSession;
    if (!FPerCall) {
        FPerCall = std::make_unique<TConsoleMetadataTool>(FExifTool, FReadBoundMs);
        FPerCall->SetWaitHook(CommandWaitHook());
    }
    return *FPerCall;
}

TWaitHook TWorkflow::CommandWaitHook()
{
    return [this](const TToolWait& wait) {
        if (wait.Waited.count() < kCallGraceMs)
            return true;
        FHost.ProcessPendingEvents();
        if (wait.Writing) {
            // A slow share or card is waited for, never cut short: say so.
            constexpr long long kReportEveryMs = 10000;
            const long long reports = wait.Waited.count() / kReportEveryMs;
            if (reports > FSlowWriteReports) {
                FSlowWriteReports = reports;
                FHost.ShowStatus("Warte auf exiftool: \"" + FWritingName + "\" wird seit " +
                                 std::to_string(reports * kReportEveryMs / 1000) +
                                 " s geschrieben.");
            }
        }
        return !(FReadsStoppable && FHost.CancelRequested());
    };
}

std::string TWorkflow::ToolPath(const std::string& path)
{
    return ToolArgumentPath(path);
}

void TWorkflow::ReadPictures()
{
    TOperationScope operation(FHost, FProgress);
    TToolSessionScope session(*this);
    FHost.ShowStatus(""); // a report on other pictures
    if (FProgress) {
        FProgress->SetDirectory(FHost.DirectoryText());
        FProgress->ShowNow();
    }
    ScanPictures(FHost.DirectoryText());
    ClearShots();
    // Read anew: an empty scan has emptied the field.
    FHost.SetReadFileEnabled(FileExists(JoinPath(FHost.DirectoryText(), "Zelmaro.txt")));
    MatchAll();
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
    ClearImages();
    FImagesDirectory = directory;
    const std::vector<std::string> names = ImageFileNames(directory);
    if (FProgress)
        FProgress->ShowFoundCount(static_cast<int>(names.size()));
    if (names.empty()) {
        FHost.SetDirectoryText("");
        FHost.ShowWarning("In diesem Verzeichnis existieren keine Bilder!", kAppCaption);
        return false;
    }
    if (FProgress)
        FProgress->ShowFileLine();
    const std::size_t readers = ScanReaderCount();
    return readers > 1 ? ReadImagesAtOnce(directory, names, readers)
                       : ReadImagesInTurn(directory, names);
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
        std::uint32_t date = 0;
        double exposure = 0;
        if (!ReadImageData(JoinPath(directory, name), date, exposure)) {
            if (FHost.CancelRequested())
                break; // the cancel stopped this reading
            return ReportUnreadable(name);
        }
        AddImage({name, date, exposure});
    }
    return true;
}

bool TWorkflow::ReadImagesAtOnce(const std::string& directory,
                                 const std::vector<std::string>& names, std::size_t readers)
{
    // The command's session is the first reader's, so that it ends with the
    // command as before; the others are the pool's own and end with it.
    std::vector<std::unique_ptr<TMetadataTool>> owned;
    std::vector<TMetadataTool*> tools;
    const auto newTool = [this]() -> std::unique_ptr<TMetadataTool> {
        if (FScanToolFactory)
            return FScanToolFactory();
        if (FSession)
            return std::make_unique<TExifToolSession>(FExifTool, FReadBoundMs);
        return std::make_unique<TConsoleMetadataTool>(FExifTool, FReadBoundMs);
    };
    // The readers' threads must not touch the host: a cancel reaches their
    // calls through this flag. The command's session hears the command again
    // once the pool is done.
    std::atomic<bool> stop = false;
    const auto readerHook = [&stop](const TToolWait& wait) {
        return wait.Waited.count() < kCallGraceMs || !stop.load();
    };
    struct THookBack {
        TMetadataTool* Tool;
        TWaitHook Hook;
        ~THookBack()
        {
            if (Tool)
                Tool->SetWaitHook(std::move(Hook));
        }
    } hookBack{FSession && !FScanToolFactory ? FSession.get() : nullptr,
               FSession ? FSession->WaitHook() : TWaitHook()};
    for (std::size_t k = 0; k < readers; ++k) {
        if (k == 0 && FSession && !FScanToolFactory) {
            tools.push_back(FSession.get());
        } else {
            owned.push_back(newTool());
            tools.push_back(owned.back().get());
        }
        tools.back()->SetWaitHook(readerHook);
        // Side by side, rather than each at its first image.
        if (auto* session = dynamic_cast<TExifToolSession*>(tools.back()))
            session->StartNow();
    }
    TImageReaderPool pool(tools, FSettings);

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
        AddImage({names[taken], reading->Data.Date, reading->Data.ExposureTime});
        ++taken;
        if (FProgress && taken < handedOut)
            FProgress->SetFileName(names[taken]);
    }
}

bool TWorkflow::ReportUnreadable(const std::string& name)
{
    FHost.ShowError(ReadingError(name), kAppCaption);
    FHost.RequestTerminate();
    return false;
}

bool TWorkflow::ReadImageData(const std::string& path, std::uint32_t& date, double& exposureTime)
{
    return ReadImageData(path, date, exposureTime, false);
}

bool TWorkflow::ReadImageData(const std::string& path, std::uint32_t& date, double& exposureTime,
                              bool passToolErrors)
{
    date = 0;
    exposureTime = 0;
    std::optional<std::vector<std::string>> lines;
    try {
        lines = ReadImageLines(Tool(), path);
    } catch (const std::exception&) {
        if (passToolErrors)
            throw;
        return false;
    }
    if (!lines)
        return false;
    const TImageData data = ParseImageData(*lines, FSettings);
    date = data.Date;
    exposureTime = data.ExposureTime;
    return data.Complete();
}

} // namespace zelmaro
