#pragma once

#include "platform/FormatSettings.h"
#include "support/NumberedResults.h"
#include "support/Paths.h"
#include "workflow/MetadataTool.h"
#include "workflow/Records.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zelmaro {

// One checked image to write: where it is, the moment it was read with, the
// logged value and the tool's arguments of the write.
struct TWriteTask {
    std::string Path;
    std::string FileName;
    std::uint32_t Date = 0;
    double Logged = 0;
    std::vector<std::string> Arguments;
    // Where the values go and are read back from when not into the image:
    // its sidecar (the last argument then names it).
    std::string Sidecar{};
    // The image as it was read: with a sidecar to write, an image that still
    // bears it needs no reading to tell that it is the picture that was read.
    std::optional<TFileStamp> Stamp{};
    // The file written and read back.
    const std::string& Target() const { return Sidecar.empty() ? Path : Sidecar; }
    // The logged values written along (the whole set), if any.
    TImageValues Values{};
};

// What became of one task.
struct TWriteOutcome {
    enum class TKind {
        okNotBegun,     // a stop came before it
        okCheckStopped, // a cancel stopped the reading before its write
        okRefused,      // not written; Reason says why
        okHeld,         // it (or its sidecar) held the logged value already (ExposureTime)
        okWritten,      // written and read back (ExposureTime; ErrorLines of the write)
        okWriteEnded,   // the tool ended during the write (Reason)
        okNoTool,       // the tool could not be started
        okUnreadable,   // written, but it could not be read back
    };
    TKind Kind = TKind::okNotBegun;
    std::string Reason;
    double ExposureTime = 0;
    std::vector<std::string> ErrorLines;
    std::vector<std::string> ReadBackLines; // for what else the file tells
    TImageValues Values{}; // the set's values it holds (okHeld, okWritten), where a set was written
};

// Who hears of a batch's phases, on the thread that runs it.
struct TWriteWatch {
    std::function<void(const std::string& fileName)> WriteBegins;
    std::function<void()> WriteEnded;
    // True before the read-back, which no cancel may cut short; false after.
    std::function<void(bool)> ReadingBack;
};

// Checks, writes and reads back a batch with one tool: the images are read
// together where the tool can, each that is still the picture that was read
// is written, and those written are read back together. stop is asked
// before every write but the batch's first. Touches only the tool and the
// file system, so any one thread may run it. extraTags are read back too.
std::vector<TWriteOutcome> WriteBatch(TMetadataTool& tool, const std::vector<TWriteTask>& tasks,
                                      const FormatSettings& settings,
                                      const std::function<bool()>& stop, const TWriteWatch& watch,
                                      const std::vector<std::string>& extraTags = {});

// Writes batches with several tools at once, one thread per tool, and
// nothing else: no host, no list. The caller hands batches out while a
// writer has room and takes the outcomes back by the tasks' numbers. A stop
// drops the batches no writer has begun; those begun end after the image
// being written, which is read back.
class TImageWriterPool {
public:
    // The tools must outlive the pool; the pool sets their wait hooks.
    TImageWriterPool(const std::vector<TMetadataTool*>& tools, const FormatSettings& settings,
                     std::vector<std::string> extraTags = {});
    // Finish().
    ~TImageWriterPool();
    TImageWriterPool(const TImageWriterPool&) = delete;
    TImageWriterPool& operator=(const TImageWriterPool&) = delete;

    // Whether a writer has room for another batch.
    bool HasRoom();
    // Queues the next tasks, numbered from 0 in the order of these calls.
    void Write(std::vector<TWriteTask> tasks);
    // The outcome of task number, waiting at most timeoutMs for it.
    std::optional<TWriteOutcome> Take(std::size_t number, int timeoutMs);
    // No image is begun any more; reads other than read-backs are stopped.
    void Stop() { FStop = true; }
    // The image written longest now and for how long, if any is.
    std::optional<std::pair<std::string, std::chrono::milliseconds>> LongestWrite();
    // Stop(), then waits for the batches under way and ends the threads.
    void Finish();

private:
    struct TJob {
        std::size_t First = 0;
        std::vector<TWriteTask> Tasks;
    };
    struct TWriter {
        TMetadataTool* Tool = nullptr;
        std::deque<TJob> Jobs;
        bool Busy = false;
        std::atomic<bool> ReadsStoppable = true;
        std::string Writing; // the image being written, if any
        std::chrono::steady_clock::time_point Since;
        std::condition_variable Wake;
        std::thread Thread;
    };

    void Serve(TWriter& writer);

    FormatSettings FSettings;
    std::vector<std::string> FExtraTags;
    std::mutex FMutex; // the writers' queues and states, and FEnding
    std::vector<std::unique_ptr<TWriter>> FWriters;
    TNumberedResults<TWriteOutcome> FOutcomes;
    std::atomic<bool> FStop = false;
    bool FEnding = false;
};

} // namespace zelmaro
