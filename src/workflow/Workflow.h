#pragma once

#include "platform/DirectoryLock.h"
#include "platform/FormatSettings.h"
#include "platform/RegistryStore.h"
#include "shotlog/LogSource.h"
#include "workflow/ExifToolSession.h"
#include "workflow/ImageData.h"
#include "workflow/ImageWriterPool.h"
#include "workflow/Matching.h"
#include "workflow/MetadataTool.h"
#include "workflow/Originals.h"
#include "workflow/Records.h"
#include "workflow/Sidecar.h"
#include "workflow/ValuesView.h"
#include "workflow/WorkflowHost.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// How the rows pair images and shots: by position around the closest pair,
// by the order-keeping alignment of least distance (AlignNearest), by the
// file name the log gives (AlignByName) or by the frame number
// (AlignByFrame); the last two need no clock. The values are stored.
enum class TRowAlignment { alPositional, alNearest, alName, alFrame };

// What the directory field shows after a reading command: its text, or
// nothing where the directory held no images or no log file.
enum class TDirectoryField { dfKeep, dfEmpty };

struct TShotLogParse;

// The matching workflow without a window: the image, shot and pair lists,
// the rows with their check marks, the offset and the tolerance, and the
// commands on them. The host is what only a user interface has; observers
// (the window and its table) show the state.
class TWorkflow {
public:
    static constexpr int kColumnCount = zelmaro::kColumnCount;

    TWorkflow(TWorkflowHost& host, FormatSettings settings);
    TWorkflow(const TWorkflow&) = delete;
    TWorkflow& operator=(const TWorkflow&) = delete;

    // Observers are told of every change until removed; they must outlive
    // their registration.
    void AddObserver(TWorkflowObserver& observer);
    void RemoveObserver(TWorkflowObserver& observer);

    // The records in time order (see AddImage).
    TValuesView<std::multimap<std::uint32_t, TImageItem>> Images() const { return {FImages}; }
    TValuesView<std::multimap<std::uint32_t, TShotItem>> Shots() const { return {FShots}; }
    // The rows from top to bottom, with their check marks.
    const std::vector<TMatchItem>& Matches() const { return FMatches; }
    const FormatSettings& Settings() const { return FSettings; }

    // The user's check mark on a row that can be written (IsTickable); it
    // outlives matching again while the row pairs the same image and shot.
    // False, and nothing changes, for any other row.
    bool SetChecked(std::size_t row, bool checked);
    bool ToggleChecked(std::size_t row);
    // The same for several rows at once, told to the observers once; rows
    // that cannot be checked are passed over.
    void SetChecked(std::span<const std::size_t> rows, bool checked);
    void ToggleChecked(std::span<const std::size_t> rows);
    // Whether a checked row waits for the write-back, and how many.
    bool HasRowsToWrite() const;
    std::size_t RowsToWrite() const;
    // Rows whose moments agree under the offset and the tolerance.
    std::size_t ExactPairs() const;
    // Why the row is checked or not, in a line for the user: the sides it
    // lacks, how far apart its moments are under the offset and tolerance,
    // whether the exposure times differ and what the write-back will do.
    std::string CheckReason(const TMatchItem& item) const;
    // What else the row's log entry tells (file, frame, aperture, ISO, focal
    // length, lens), in a line; empty where it tells nothing more.
    std::string ShotDetails(const TMatchItem& item) const;

    // Full path of the metadata tool.
    const std::string& ExifTool() const { return FExifTool; }
    void SetExifTool(std::string path)
    {
        FExifTool = std::move(path);
        FPerCall.reset();
    }
    // Finds the tool (program directory, then PATH on POSIX) and keeps its
    // path; when there is none, shows the start-up error, requests the end of
    // the program and answers false.
    bool LocateExifTool();
    // Replaces how the tool is run; without one, FExifTool is started per call.
    void SetMetadataTool(std::unique_ptr<TMetadataTool> tool) { FTool = std::move(tool); }
    // Whether "Auslesen" and the write-back talk to one tool session per
    // command (the default) or start the tool once per call.
    void SetToolSessionEnabled(bool enabled) { FUseSession = enabled; }
    // The running command's tool session, if any (for tests).
    const TExifToolSession* ToolSession() const { return FSession.get(); }
    // While it lives, the tool's sessions run on from one command to the
    // next rather than start anew for each (a program that runs its commands
    // one after the other, like the command line): every start saved is a
    // tenth of a second. They end with it.
    class TToolSessionsHold {
    public:
        explicit TToolSessionsHold(TWorkflow& flow);
        ~TToolSessionsHold();
        TToolSessionsHold(const TToolSessionsHold&) = delete;
        TToolSessionsHold& operator=(const TToolSessionsHold&) = delete;

    private:
        TWorkflow& FFlow;
        bool FOwner = false;
    };
    // How long one reading call of the tool may take (kReadBoundMs until
    // set); a write is never bounded.
    void SetReadBoundMs(int ms) { FReadBoundMs = ms; }

    // "Auslesen": scans the directory with a progress window, drops the
    // shot log, looks for the log file there and matches.
    TDirectoryField ReadPictures(const std::string& directory);
    // The images of ImagesDirectory() read again (after their originals were
    // put back), the shot log kept, and matched.
    void ReadPicturesAgain();
    // The directory the image list was read from; the write-back writes there.
    const std::string& ImagesDirectory() const { return FImagesDirectory; }
    // Whether the last "Auslesen" found the log file in the directory the
    // field shows afterwards (the log-file button).
    bool LogFileFound() const { return FLogFileFound; }
    // What the last scan did: images found, images read, and whether a
    // cancel stopped it before the last one.
    struct TScanReport {
        std::size_t Found = 0;
        std::size_t Read = 0;
        bool Cancelled = false;
        bool operator==(const TScanReport&) const = default;
    };
    const TScanReport& LastScan() const { return FLastScan; }
    // Clears the images and reads every image of the directory. False when
    // there was none or one could not be read (the end of the program is then
    // requested); a cancel still answers true.
    bool ScanPictures(const std::string& directory);
    // Creation date and exposure time of one image through the tool, when
    // both were found and are not 0. Throws when the tool cannot be started
    // or its call failed (EToolCallFailed), and ConversionError for a date
    // part that is no number.
    std::optional<TImageData> ReadImageData(const std::string& path);

    // Adds the entries of a log text's lines to the shot list (see the free
    // ParseShotLog) and tells the status line how many were read and how many
    // lines passed over; false when an impossible moment ended the parse early.
    bool ParseShotLog(const std::vector<std::string>& lines);
    // Clears the shots and reads the log file by the source that recognises
    // its content (see LogSources), with the status line of ParseShotLog;
    // false when it is missing or could not be read or parsed to its end. A
    // file that gives no entry at all is a warning saying why, and one that
    // no source knows names what was expected.
    bool ReadShotFile(const std::string& path);
    // A table no known format reads, for choosing its columns: its header
    // line and the names in it. Nothing for a file that cannot be read, a
    // known format, or a first line of fewer than two columns.
    struct TUnknownTable {
        std::string HeaderLine;
        std::vector<std::string> Columns;
    };
    std::optional<TUnknownTable> UnknownTable(const std::string& path) const;
    // The columns of a table that no known format fits (none: only the
    // known formats are read).
    const std::optional<TColumnMapping>& LogColumns() const { return FLogColumns; }
    void SetLogColumns(std::optional<TColumnMapping> columns) { FLogColumns = std::move(columns); }
    // The name of the format the last log was read in; empty when none.
    const std::string& LogFormat() const { return FLogFormat; }
    // "\"Zelmaro.txt\" auslesen": the log file of the directory (the field's
    // text), then the matching.
    TDirectoryField ReadLogFile(const std::string& directory);
    // Clears the shots and parses the log memos (first line "Zelmaro") of a
    // Palm Desktop user, memo after memo; false when the memo database could
    // not be read or an impossible moment ended the parse. No message but
    // the status line of ParseShotLog.
    bool ReadShotMemo(std::int32_t userID);
    // "PalmDesktop Memo auslesen": nothing without a chosen user, else the
    // user's log memos, then the matching.
    void ReadLogMemo(std::optional<std::int32_t> userID);
    // Where the Palm Desktop readers look for Palm Desktop; without a store
    // Palm Desktop is not installed. The store must outlive the workflow.
    void SetPalmRegistry(const RegistryStore& registry) { FPalmRegistry = &registry; }

    // What the last write-back did.
    struct TWriteReport {
        std::vector<std::string> Written; // took the logged value
        std::vector<TWriteFailure> Failed;
        // Took the value, but readers may show another one (a bulb duration)
        std::vector<TWriteFailure> Notes;
        bool Cancelled = false;
        bool Refused = false;  // another writer held the directory: nothing written
        bool Stopped = false;  // an error ended it at the last image of Failed
        std::size_t Total = 0; // the checked rows it set out to write
    };
    // "Werte in Bilder eintragen": writes the logged exposure time into the
    // image of every checked row, in the directory the images were read
    // from, reads it back, tells the user of every image that did not take
    // its value and matches again. An image that changed since it was read,
    // or that the user may not change, is not written.
    void WriteExposureTimes();
    const TWriteReport& LastWrite() const { return FLastWrite; }
    // The argument file the tool would run to write the checked rows
    // (--dry-run); the checks before writing may still leave an image out.
    std::string WriteArgumentFile() const;
    // Sets a record's exposure time after its file was written and read back.
    void SetImageExposureTime(const TImageItem& image, double exposureTime,
                              bool fromSidecar = false);
    // The same for the set's values.
    void SetImageValues(const TImageItem& image, const TImageValues& values);

    // Whether the write-back writes the whole logged set along with the
    // exposure time (ExposureSet.h); rows where only another logged value
    // differs are then to write too. False at first.
    bool WriteAll() const { return FWriteAll; }
    // Sets it and matches again; true where the listed images were read
    // without the set, so that they must be read again (ReadPicturesAgain)
    // for their values to be compared.
    bool SetWriteAll(bool writeAll);
    // The shot's values the write-back writes along: none unless WriteAll;
    // its moment only where the rows pair by name or frame (film scans).
    TImageValues LoggedSet(const TShotItem& shot) const;

    // Puts back the original the tool kept ("NAME_original") of every image
    // of the directory, or deletes those originals; the names in the order
    // of the picture scan, then those of the XMP sidecars ("NAME.xmp_original";
    // a sidecar this program created goes, as there was none before it).
    // Only files of the directory itself are touched.
    // An original is deleted only where its image is a file beside it;
    // restoring, it replaces its image, or takes the place of an image that
    // is gone. What a write cut short left ("NAME_exiftool_tmp") is named,
    // never removed. nullopt when another writer held the directory (the
    // user has been told).
    std::optional<std::vector<TOriginalResult>> RestoreOriginals(const std::string& directory,
                                                                 TOriginalAction action);

    // Clearing the images or the shots also clears the rows.
    void ClearImages();
    void ClearShots();
    // Empties the rows, so that no row outlives its record.
    void ClearMatches();

    // Inserts behind every record whose Date is less than or equal to its own,
    // in logarithmic time whatever the order the records come in.
    const TImageItem& AddImage(TImageItem image);
    const TShotItem& AddShot(TShotItem shot);

    // Text of a cell (see TColumn); empty where the row lacks the side.
    std::string CellText(const TMatchItem& item, int column) const;

    // Rebuilds the rows (around the closest image and shot, or aligned) and
    // checks those to be written.
    void MatchAll();
    TRowAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRowAlignment alignment) { FAlignment = alignment; }
    // The frame the first image holds when frames are counted (alFrame); 1 at first.
    std::uint32_t FirstFrame() const { return FFirstFrame; }
    void SetFirstFrame(std::uint32_t frame) { FFirstFrame = frame; }
    // Where the values are written and, where a sidecar holds an exposure
    // time, read from: the images themselves (svNone, at first) or their
    // XMP sidecars. Takes effect at the next reading of the pictures.
    TSidecar Sidecar() const { return FSidecar; }
    void SetSidecar(TSidecar sidecar) { FSidecar = sidecar; }
    // A row for the image and shot graded under the offset and the tolerance.
    TMatchItem MakeMatch(const TImageItem* image, const TShotItem* shot, std::int32_t offset) const;
    // Puts the offset with the most exact pairs into the offset field and its
    // report into the status line, or tells the user that there is none.
    std::optional<TAutoOffsetReport> FindAutoOffset();
    // The offset or the tolerance changed.
    void FieldsChanged();

    // The offset and the tolerance the pairs are graded under (0 and 1 at first).
    int Offset() const { return FOffset; }
    int Tolerance() const { return FTolerance; }
    // The offset's bound (kMaxOffset until set): offsets the workflow sets are
    // brought into it, and the automatic search keeps to it.
    int MaxOffset() const { return FMaxOffset; }
    void SetMaxOffset(int seconds) { SetMaxOffset(seconds, seconds); }
    // A bound the search keeps narrower: to searchSeconds until the user
    // takes an offset it named beyond them (TakeBestOffset) or the offset
    // already lies beyond them; then to the whole bound.
    void SetMaxOffset(int seconds, int searchSeconds)
    {
        FMaxOffset = seconds;
        FSearchOffset = searchSeconds;
        FWiderOffsetTaken = false;
    }
    // The range -AutoOffsetBound()..AutoOffsetBound() the search keeps to now.
    int AutoOffsetBound() const;
    // Whether the report names a better offset beyond the search's range
    // that the bound can take: a window offers it to the user.
    bool OffersBestOffset(const TAutoOffsetReport& report) const;
    // Sets that offset, tells its pairs in the status line and searches the
    // whole bound from now on.
    void TakeBestOffset(const TAutoOffsetReport& report);
    // Brings the value into its range, has the observers show it and, when
    // it changed, matches again.
    void SetOffset(int seconds);
    void SetTolerance(int seconds);
    // The user changed a field: the value as typed (the field brings it into
    // range only when it loses the focus); matches again when it changed.
    void OffsetEdited(int seconds);
    void ToleranceEdited(int seconds);
    // SetOffset with the offset that makes the pair coincide, from the full
    // signed difference: moments far apart end at the bound, not wrapped.
    void SetOffsetFromPair(const TImageItem& image, const TShotItem& shot);

    static std::int32_t OffsetFromPair(const TImageItem& image, const TShotItem& shot)
    {
        return static_cast<std::int32_t>(image.Date - shot.Date);
    }

private:
    TWorkflowHost& FHost;
    std::vector<TWorkflowObserver*> FObservers;
    FormatSettings FSettings;
    // Keyed by Date; a multimap puts a new record behind all of its moment.
    std::multimap<std::uint32_t, TImageItem> FImages;
    std::multimap<std::uint32_t, TShotItem> FShots;
    std::string FImagesDirectory;
    bool FLogFileFound = false;
    TScanReport FLastScan;
    TWriteReport FLastWrite;
    std::vector<TMatchItem> FMatches;
    std::string FExifTool;
    std::unique_ptr<TMetadataTool> FTool;
    std::unique_ptr<TExifToolSession> FSession;
    bool FUseSession = true;
    // The readers' and writers' own sessions kept for the next command while
    // a TToolSessionsHold lives.
    bool FHoldSessions = false;
    std::vector<std::unique_ptr<TMetadataTool>> FSpareTools;
    // The tool for calls without a session, kept for its wait hook.
    std::unique_ptr<TMetadataTool> FPerCall;
    int FReadBoundMs = kReadBoundMs;
    // Whether the user's cancel stops a read under way (not a read-back).
    bool FReadsStoppable = true;
    // The image being written and how many slow-write reports it had.
    std::string FWritingName;
    long long FSlowWriteReports = 0;
    TRowAlignment FAlignment = TRowAlignment::alPositional;
    bool FWriteAll = false;
    bool FScanReadSet = false; // the listed images were read with the set
    // What a scan reads beyond date and exposure time: the set, with WriteAll.
    std::vector<std::string> ScanTags() const;
    // CheckReason of a row where another logged value differs, naming those.
    std::string SetCheckReason(const TMatchItem& item) const;
    std::uint32_t FFirstFrame = 1;
    TSidecar FSidecar = TSidecar::svNone;
    // The progress window of the running long operation, if any.
    TProgressView* FProgress = nullptr;
    const RegistryStore* FPalmRegistry = nullptr;
    int FOffset = 0;
    int FTolerance = 1;
    int FMaxOffset = kMaxOffset;
    int FSearchOffset = kMaxOffset;
    bool FWiderOffsetTaken = false;

    // Tells the observers of new rows (and of none) around the change.
    class TRowsReplacement {
    public:
        explicit TRowsReplacement(TWorkflow& flow);
        ~TRowsReplacement();
        TRowsReplacement(const TRowsReplacement&) = delete;
        TRowsReplacement& operator=(const TRowsReplacement&) = delete;

    private:
        TWorkflow& FFlow;
    };
    void ReplaceMatches(std::vector<TMatchItem> matches);
    void NotifyChecks(std::size_t first, std::size_t last);

    // Makes the command's session where the tool is exiftool and none runs
    // yet; whether it did.
    bool MakeSession();
    // Gives the running command one tool session and ends it with the
    // command, on every way out.
    class TToolSessionScope {
    public:
        explicit TToolSessionScope(TWorkflow& flow);
        ~TToolSessionScope();
        TToolSessionScope(const TToolSessionScope&) = delete;
        TToolSessionScope& operator=(const TToolSessionScope&) = delete;

    private:
        TWorkflow& FFlow;
        bool FOwner = false;
    };

    // The one tool every call of a command goes to: the replaced tool, the
    // command's session or one process per call.
    TMetadataTool& Tool();
    // What the command's tool hears while it waits: events are let through,
    // a slow write is reported, a cancel stops a read.
    TWaitHook CommandWaitHook();
    // A tool of its own for a scan reader on another thread, and what it
    // hears: the scan's stop flag only, never the host.
    std::unique_ptr<TMetadataTool> NewReaderTool();
    // The tools a reader or writer pool gets besides the command's own: made
    // or taken from the spares, and kept for the next command while sessions
    // are held, else ended. Declared before the pool, it outlives it.
    class TPoolTools {
    public:
        explicit TPoolTools(TWorkflow& flow) : FFlow(flow) {}
        ~TPoolTools();
        TPoolTools(const TPoolTools&) = delete;
        TPoolTools& operator=(const TPoolTools&) = delete;
        TMetadataTool* Add();

    private:
        TWorkflow& FFlow;
        std::vector<std::unique_ptr<TMetadataTool>> FTools;
    };
    static TWaitHook ReaderWaitHook(const std::atomic<bool>& stop);
    // The writers' lock on the directory, waited for a short while; null
    // when the user cancelled, or (with the user told) another writer keeps it.
    std::unique_ptr<TDirectoryLock> LockDirectory(const std::string& directory);
    // The host's status line; a text that speaks of the offset (the
    // automatic offset's report) goes when the offset or tolerance changes.
    void ShowStatus(std::string_view text, bool followsOffset = false);
    bool FStatusFollowsOffset = false;
    // Adds the parse's entries and reports them, with the format that was
    // read, in the status line.
    bool AddLogEntries(TShotLogParse parse, std::string_view format = {});
    // ReadShotFile; besideImages: the directory's own log, looked for by name.
    bool ReadShotFile(const std::string& path, bool besideImages);
    std::optional<TColumnMapping> FLogColumns;
    std::string FLogFormat;
    // The write-back's loop under its progress window, and the matching.
    void WriteCheckedImages();
    // ReadImageData where a failed call of the tool reads as nothing.
    std::optional<TImageData> ReadImageDataOrNone(const std::string& path);
    // Tells the user of the image that stopped the write-back and requests
    // the end of the program; the image counts as failed.
    void StopWriting(const TImageItem& image, const std::string& message, std::string reason);
    // The image that stopped the write-back and what to tell of it.
    struct TWriteStop {
        const TImageItem* Image;
        std::string Message;
        std::string Reason;
    };
    // The checked rows as tasks, with their images.
    std::vector<TWriteTask> WriteTasks(const std::string& directory,
                                       std::vector<const TImageItem*>& images) const;
    // The tasks checked, written and read back batch by batch with the
    // command's tool, or with several writers at once.
    std::optional<TWriteStop> WriteInTurn(const std::vector<TWriteTask>& tasks,
                                          const std::vector<const TImageItem*>& images);
    std::optional<TWriteStop> WriteAtOnce(const std::vector<TWriteTask>& tasks,
                                          const std::vector<const TImageItem*>& images,
                                          std::size_t writers);
    // Puts an outcome into the record and the report; the first image that
    // must stop the write-back becomes stop.
    void TakeWriteOutcome(const TWriteTask& task, const TImageItem& image, TWriteOutcome outcome,
                          std::optional<TWriteStop>& stop);
    // The status line's note of a write that takes long, every 10 s.
    void ReportSlowWrite(const std::string& name, long long waitedMs);

    // The picture scan's readers (PictureScan.cpp): with two or more, each
    // reads on a thread of its own with a tool of its own.
public:
    static constexpr unsigned kMaxScanReaders = 4;
    using TToolFactory = std::function<std::unique_ptr<TMetadataTool>()>;
    // How many read at once; 0 (the default) is one per core the process
    // may use, at most kMaxScanReaders.
    void SetScanReaders(std::size_t count) { FScanReaders = count; }
    // Where the tool of each of two or more readers comes from (for tests);
    // without it, a session each, or one process per call.
    void SetScanToolFactory(TToolFactory factory) { FScanToolFactory = std::move(factory); }

private:
    std::size_t FScanReaders = 0;
    TToolFactory FScanToolFactory;
    enum class TScanEnd { seRead, seNoImages, seUnreadable };
    TScanEnd Scan(const std::string& directory);
    // Scan under a progress window and the command's tool session.
    TDirectoryField ScanWithProgress(const std::string& directory);
    std::size_t ScanReaderCount() const;
    bool ReadImagesInTurn(const std::string& directory, const std::vector<std::string>& names);
    bool ReadImagesAtOnce(const std::string& directory, const std::vector<std::string>& names,
                          std::size_t readers);
    // What the sidecars of the named images hold, by image name; nullopt
    // after a cancel.
    std::optional<std::map<std::string, TImageData>>
    ReadSidecars(const std::string& directory, const std::vector<std::string>& names);
    // Tells the user, requests the end of the program and answers false.
    bool ReportUnreadable(const std::string& name);
};

} // namespace zelmaro
