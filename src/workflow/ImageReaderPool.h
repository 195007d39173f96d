#pragma once

#include "platform/FormatSettings.h"
#include "support/NumberedResults.h"
#include "workflow/ImageData.h"
#include "workflow/MetadataTool.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zelmaro {

// What a reader made of one image: not readable (no such file, or the tool
// could not be started), its data, or the error its lines raised, which the
// command's thread throws in the image's turn.
struct TImageReading {
    bool Readable = false;
    TImageData Data;
    std::exception_ptr Error;
};

// Reads images with several tools at once, one thread per tool, and nothing
// else: no host, no list. The caller hands the images out in batches and
// takes the readings back by their number. Batch n goes to tool n mod
// count, so each tool (and a session's fallback) serves its own share; a
// tool reads a batch in one call where it can.
class TImageReaderPool {
public:
    // The tools must outlive the pool; extraTags are read too.
    TImageReaderPool(const std::vector<TMetadataTool*>& tools, const FormatSettings& settings,
                     std::vector<std::string> extraTags = {});
    // Finish().
    ~TImageReaderPool();
    TImageReaderPool(const TImageReaderPool&) = delete;
    TImageReaderPool& operator=(const TImageReaderPool&) = delete;

    // Queues the next images, numbered from 0 in the order of these calls.
    void Read(std::vector<std::string> paths);
    // The reading of image number, waiting at most timeoutMs for it; nullopt
    // when it is not there yet.
    std::optional<TImageReading> Take(std::size_t number, int timeoutMs);
    // Drops the images no tool has started, waits for those being read and
    // ends the threads.
    void Finish();

private:
    struct TJob {
        std::size_t First = 0; // the number of its first image
        std::vector<std::string> Paths;
    };
    struct TReader {
        TMetadataTool* Tool = nullptr;
        bool Together = true; // reads a batch in one call
        std::deque<TJob> Jobs;
        std::condition_variable Wake;
        std::thread Thread;
    };

    void Serve(TReader& reader);

    FormatSettings FSettings;
    std::vector<std::string> FExtraTags;
    std::mutex FMutex; // the readers' queues and FStopping
    std::vector<std::unique_ptr<TReader>> FReaders;
    TNumberedResults<TImageReading> FReadings;
    std::size_t FBatches = 0;
    bool FStopping = false;
};

} // namespace zelmaro
