#include "workflow/ImageReaderPool.h"

namespace zelmaro {

namespace {

TImageReading Parse(const std::optional<std::vector<std::string>>& lines,
                    const FormatSettings& settings)
{
    TImageReading reading;
    if (!lines)
        return reading;
    try {
        reading.Data = ParseImageData(*lines, settings);
        reading.Readable = true;
    } catch (...) {
        reading.Error = std::current_exception();
    }
    return reading;
}

TImageReading ReadImage(TMetadataTool& tool, const std::string& path,
                        const FormatSettings& settings, const std::vector<std::string>& extraTags)
{
    std::optional<std::vector<std::string>> lines;
    try {
        lines = ReadImageLines(tool, path, extraTags);
    } catch (const std::exception&) {
        return {}; // a tool that cannot be started reads nothing
    } catch (...) {
        TImageReading reading;
        reading.Error = std::current_exception();
        return reading;
    }
    return Parse(lines, settings);
}

// The images in one call where that works, else one by one. A tool whose
// output could not be cut once reads image by image from then on, rather
// than paying for each batch twice.
std::vector<TImageReading> ReadImages(TMetadataTool& tool, const std::vector<std::string>& paths,
                                      const FormatSettings& settings,
                                      const std::vector<std::string>& extraTags, bool& together)
{
    std::optional<std::vector<std::optional<std::vector<std::string>>>> lines;
    if (together && paths.size() > 1) {
        try {
            lines = ReadImagesTogether(tool, paths, extraTags);
        } catch (...) {
            lines.reset();
        }
        together = lines.has_value();
    }
    std::vector<TImageReading> readings;
    for (std::size_t k = 0; k < paths.size(); ++k)
        readings.push_back(lines ? Parse((*lines)[k], settings)
                                 : ReadImage(tool, paths[k], settings, extraTags));
    return readings;
}

} // namespace

TImageReaderPool::TImageReaderPool(const std::vector<TMetadataTool*>& tools,
                                   const FormatSettings& settings,
                                   std::vector<std::string> extraTags)
    : FSettings(settings), FExtraTags(std::move(extraTags))
{
    try {
        for (TMetadataTool* tool : tools) {
            FReaders.push_back(std::make_unique<TReader>());
            TReader& reader = *FReaders.back();
            reader.Tool = tool;
            reader.Thread = std::thread([this, &reader] { Serve(reader); });
        }
    } catch (...) {
        Finish();
        throw;
    }
}

TImageReaderPool::~TImageReaderPool()
{
    Finish();
}

void TImageReaderPool::Read(std::vector<std::string> paths)
{
    const std::size_t first = FReadings.Number(paths.size());
    const std::lock_guard<std::mutex> lock(FMutex);
    TReader& reader = *FReaders[FBatches++ % FReaders.size()];
    reader.Jobs.push_back({first, std::move(paths)});
    reader.Wake.notify_one();
}

std::optional<TImageReading> TImageReaderPool::Take(std::size_t number, int timeoutMs)
{
    return FReadings.Take(number, timeoutMs);
}

void TImageReaderPool::Finish()
{
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
        for (const auto& reader : FReaders) {
            reader->Jobs.clear();
            reader->Wake.notify_one();
        }
    }
    for (const auto& reader : FReaders) {
        if (reader->Thread.joinable())
            reader->Thread.join();
    }
}

void TImageReaderPool::Serve(TReader& reader)
{
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        reader.Wake.wait(lock, [&] { return FStopping || !reader.Jobs.empty(); });
        if (FStopping)
            return;
        TJob job = std::move(reader.Jobs.front());
        reader.Jobs.pop_front();
        lock.unlock();
        std::vector<TImageReading> readings =
            ReadImages(*reader.Tool, job.Paths, FSettings, FExtraTags, reader.Together);
        FReadings.Put(job.First, std::move(readings));
        lock.lock();
    }
}

} // namespace zelmaro
