#pragma once

#include "platform/DirectoryLock.h"
#include "platform/FormatSettings.h"
#include "platform/RegistryStore.h"
#include "workflow/ExifToolSession.h"
#include "workflow/Matching.h"
#include "workflow/MetadataTool.h"
#include "workflow/Records.h"
#include "workflow/WorkflowHost.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// How the rows pair images and shots: by position around the closest pair,
// or by the order-keeping alignment of least distance (AlignNearest).
enum class TRowAlignment { alPositional, alNearest };

// The records of a keyed list in their order, without the keys (clang 14
// cannot use libstdc++ 12's std::views::values).
template <class Map> class TValuesView {
public:
    using value_type = typename Map::mapped_type;

    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = typename Map::mapped_type;
        using difference_type = std::ptrdiff_t;
        using pointer = const value_type*;
        using reference = const value_type&;

        Iterator() = default;
        explicit Iterator(typename Map::const_iterator it) : FIt(it) {}
        reference operator*() const { return FIt->second; }
        pointer operator->() const { return &FIt->second; }
        Iterator& operator++()
        {
            ++FIt;
            return *this;
        }
        Iterator operator++(int) { return Iterator(FIt++); }
        Iterator& operator--()
        {
            --FIt;
            return *this;
        }
        Iterator operator--(int) { return Iterator(FIt--); }
        bool operator==(const Iterator&) const = default;

    private:
        typename Map::const_iterator FIt;
    };

    TValuesView(const Map& map) : FMap(&map) {}
    Iterator begin() const { return Iterator(FMap->begin()); }
    Iterator end() const { return Iterator(FMap->end()); }
    std::size_t size() const { return FMap->size(); }
    bool empty() const { return FMap->empty(); }
    const value_type& front() const { return FMap->begin()->second; }
    const value_type& back() const { return std::prev(FMap->end())->second; }

private:
    const Map* FMap;
};

struct TShotLogParse;

enum class TOriginalAction { oaRestore, oaDelete };
// What the tool leaves beside an image it writes: the first original it
// kept, and its temporary file while it writes (left when it was cut short).
inline constexpr std::string_view kOriginalSuffix = "_original";
inline constexpr std::string_view kToolTemporarySuffix = "_exiftool_tmp";
// An image whose original the tool kept, and whether that original was put
// back or deleted.
struct TOriginalResult {
    std::string FileName; // of the image, without the directory
    bool Done = false;
    std::string Reason; // why not, when not done
    std::string Note;   // what else the user should know of this image
    bool operator==(const TOriginalResult&) const = default;
};

// The matching workflow without a window: the image, shot and pair lists and
// the operations on them. The host and the table are the window around it.
class TWorkflow {
public:
    static constexpr int kColumnCount = zelmaro::kColumnCount;

    TWorkflow(TWorkflowHost& host, TImageTable& table, FormatSettings settings);
    TWorkflow(const TWorkflow&) = delete;
    TWorkflow& operator=(const TWorkflow&) = delete;

    // The records in time order (see AddImage).
    TValuesView<std::multimap<std::uint32_t, TImageItem>> Images() const { return {FImages}; }
    TValuesView<std::multimap<std::uint32_t, TShotItem>> Shots() const { return {FShots}; }
    // The rows from top to bottom; the table refers to these records.
    const std::vector<TMatchItem>& Matches() const { return FMatches; }
    const FormatSettings& Settings() const { return FSettings; }

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
    // How long one reading call of the tool may take (kReadBoundMs until
    // set); a write is never bounded.
    void SetReadBoundMs(int ms) { FReadBoundMs = ms; }

    // "Auslesen": scans the directory field's directory with a progress
    // window, drops the shot log, sets the log-file button and matches.
    void ReadPictures();
    // The directory the image list was read from; the write-back writes there.
    const std::string& ImagesDirectory() const { return FImagesDirectory; }
    // Clears the images and reads every image of the directory. False when
    // there was none or one could not be read (the end of the program is then
    // requested); a cancel still answers true.
    bool ScanPictures(const std::string& directory);
    // Creation date and exposure time of one image through the tool; true only
    // when both were found and are not 0. Both start at 0.
    bool ReadImageData(const std::string& path, std::uint32_t& date, double& exposureTime);

    // Adds the entries of a log text's lines to the shot list (see the free
    // ParseShotLog) and tells the status line how many were read and how many
    // lines passed over; false when an impossible moment ended the parse early.
    bool ParseShotLog(const std::vector<std::string>& lines);
    // Clears the shots and parses the log file, with the status line of
    // ParseShotLog; false when it is missing or could not be read or parsed
    // to its end. A file that gives no entry at all is a warning saying why.
    bool ReadShotFile(const std::string& path);
    // "\"Zelmaro.txt\" auslesen": the log file of the directory field, then the matching.
    void ReadLogFile();
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
        bool Cancelled = false;
        bool Refused = false; // another writer held the directory: nothing written
        bool Stopped = false; // an error ended it at the last image of Failed
    };
    // "Werte in Bilder eintragen": writes the logged exposure time into the
    // image of every checked row, in the directory the images were read
    // from, reads it back, tells the user of every image that did not take
    // its value and matches again. An image that changed since it was read,
    // or that the user may not change, is not written.
    void WriteExposureTimes();
    const TWriteReport& LastWrite() const { return FLastWrite; }
    // Sets a record's exposure time after its file was written and read back.
    void SetImageExposureTime(const TImageItem& image, double exposureTime);

    // Puts back the original the tool kept ("NAME_original") of every image
    // of the directory, or deletes those originals; the names in the order
    // of the picture scan. Only files of the directory itself are touched.
    // An original is deleted only where its image is a file beside it;
    // restoring, it replaces its image, or takes the place of an image that
    // is gone. What a write cut short left ("NAME_exiftool_tmp") is named,
    // never removed. nullopt when another writer held the directory (the
    // user has been told).
    std::optional<std::vector<TOriginalResult>> RestoreOriginals(const std::string& directory,
                                                                 TOriginalAction action);

    // Clearing the images or the shots also clears the pairs and the table.
    void ClearImages();
    void ClearShots();
    // Empties the pair list and the table, so that no row outlives its record.
    void ClearMatches();

    // Inserts behind every record whose Date is less than or equal to its own,
    // in logarithmic time whatever the order the records come in.
    const TImageItem& AddImage(TImageItem image);
    const TShotItem& AddShot(TShotItem shot);

    // Text of a cell (see TColumn); empty where the row lacks the side.
    std::string CellText(const TMatchItem& item, int column) const;

    // Rebuilds the pairs (around the closest image and shot, or aligned) and
    // refills the table.
    void MatchAll();
    TRowAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRowAlignment alignment) { FAlignment = alignment; }
    // A row for the image and shot graded under the offset and the host's tolerance.
    TMatchItem MakeMatch(const TImageItem* image, const TShotItem* shot, std::int32_t offset) const;
    // Refills the table from the pairs and checks the rows to be written.
    void FillTable();
    // Puts the offset with the most exact pairs into the offset field and its
    // report into the status line, or tells the user that there is none.
    std::optional<TAutoOffsetReport> FindAutoOffset();
    // The offset or the tolerance changed.
    void FieldsChanged();

    // The offset and the tolerance the pairs are graded under (0 and 1 at first).
    int Offset() const { return FOffset; }
    int Tolerance() const { return FTolerance; }
    // The offset's bound (kMaxOffset until set); the command line may widen it.
    int MaxOffset() const { return FMaxOffset; }
    void SetMaxOffset(int seconds) { FMaxOffset = seconds; }
    // Brings the value into its range, has the host show it and, when it
    // changed, matches again.
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
    TImageTable& FTable;
    FormatSettings FSettings;
    // Keyed by Date; a multimap puts a new record behind all of its moment.
    std::multimap<std::uint32_t, TImageItem> FImages;
    std::multimap<std::uint32_t, TShotItem> FShots;
    std::string FImagesDirectory;
    TWriteReport FLastWrite;
    std::vector<TMatchItem> FMatches;
    std::string FExifTool;
    std::unique_ptr<TMetadataTool> FTool;
    std::unique_ptr<TExifToolSession> FSession;
    bool FUseSession = true;
    // The tool for calls without a session, kept for its wait hook.
    std::unique_ptr<TMetadataTool> FPerCall;
    int FReadBoundMs = kReadBoundMs;
    // Whether the user's cancel stops a read under way (not a read-back).
    bool FReadsStoppable = true;
    // The image being written and how many slow-write reports it had.
    std::string FWritingName;
    long long FSlowWriteReports = 0;
    TRowAlignment FAlignment = TRowAlignment::alPositional;
    // The progress window of the running long operation, if any.
    TProgressView* FProgress = nullptr;
    const RegistryStore* FPalmRegistry = nullptr;
    int FOffset = 0;
    int FTolerance = 1;
    int FMaxOffset = kMaxOffset;

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
    // The writers' lock on the directory, waited for a short while; null
    // when the user cancelled, or (with the user told) another writer keeps it.
    std::unique_ptr<TDirectoryLock> LockDirectory(const std::string& directory);
    // Adds the parse's entries and reports them in the status line.
    bool AddLogEntries(TShotLogParse parse);
    // The write-back's loop under its progress window, and the matching.
    void WriteCheckedImages();
    // ReadImageData that lets an error of the tool's start pass.
    bool ReadImageData(const std::string& path, std::uint32_t& date, double& exposureTime,
                       bool passToolErrors);
    // Why the image at path must not be written now; nullopt when it may.
    // holds: it holds the logged value already. Throws when the tool cannot
    // be started or the reading failed (EToolCallFailed).
    std::optional<std::string> WriteObstacle(const std::string& path, const TImageItem& image,
                                             double logged, bool& holds);
    // Tells the user of the image that stopped the write-back and requests
    // the end of the program; the image counts as failed.
    void StopWriting(const TImageItem& image, const std::string& message, std::string reason);
    // The path as the tool gets it: one starting with "-" is no option.
    static std::string ToolPath(const std::string& path);

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
    std::size_t ScanReaderCount() const;
    bool ReadImagesInTurn(const std::string& directory, const std::vector<std::string>& names);
    bool ReadImagesAtOnce(const std::string& directory, const std::vector<std::string>& names,
                          std::size_t readers);
    // Tells the user, requests the end of the program and answers false.
    bool ReportUnreadable(const std::string& name);
};

// The names of the image files of a directory in the scan's order (mask by
// mask, by name within one); with a suffix, of the files named so.
std::vector<std::string> ImageFileNames(const std::string& directory, std::string_view suffix = {});

// The entries of a shot log in log order and, when an impossible moment
// ended the parse, why; the entries before it are kept.
struct TShotLogParse {
    std::vector<TShotItem> Shots;
    std::optional<std::string> Error;
    bool IsLog = false; // the first line is the title
    // Lines after the title with text but no entry (those an impossible
    // moment left unread too); blank lines and later titles are not counted.
    std::size_t PassedOver = 0;
};
// Reads a log text's lines: nothing unless the first is "Zelmaro" (blanks
// after it do not count);
// on the further lines every "-"-separated piece longer than 12 characters
// that starts with six two-digit numbers (YYMMDDhhmmss, year 20YY) followed
// by a number with the settings' decimal separator is an entry.
TShotLogParse ParseShotLog(const std::vector<std::string>& lines, const FormatSettings& settings);

// Splits a text into lines at CR LF, a lone CR or a lone LF; a line end at
// the very end adds no empty line.
std::vector<std::string> SplitTextLines(std::string_view text);

// The lines of every log memo (two lines or more, the first "Zelmaro" with
// nothing but blanks after it), memo after memo, each with its title line.
std::vector<std::string> LogMemoLines(const std::vector<std::string>& memoTexts);

// The exposure time as the tool takes it: the number text with a decimal point.
std::string ExposureValueText(double exposureTime, const FormatSettings& settings);

// The warning about images that did not take their value: the first ten,
// each with its reason, and how many more there are.
std::string WriteFailureMessage(const std::vector<TWriteFailure>& failures);

// Why the tool did not write the file at path, from its error lines (the
// first error, else the first warning, without the path it names), or
// empty when it gave none.
std::string ToolRefusal(const std::vector<std::string>& errorLines, const std::string& path);

} // namespace zelmaro
