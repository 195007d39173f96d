#include "workflow/ImageReaderPool.h"

#include <chrono>

namespace zelmaro {

namespace {

TImageReading ReadImage(TMetadataTool& tool, const std::string& path,
                        const FormatSettings& settings)
{
    TImageReading reading;
    std::optional<std::vector<std::string>> lines;
    try {
        lines = ReadImageLines(tool, path);
    } catch (const std::exception&) {
        return reading; // a tool that cannot be started reads nothing
    } catch (...) {
        reading.Error = std::current_exception();
        return reading;
    }
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

} // namespace

TImageReaderPool::TImageReaderPool(const std::vector<TMetadataTool*>& tools,
                                   const FormatSettings& settings)
    : FSettings(settings)
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

void TImageReaderPool::Read(std::string path)
{
    const std::lock_guard<std::mutex> lock(FMutex);
    TReader& reader = *FReaders[FQueued % FReaders.size()];
    reader.Jobs.push_back({FQueued++, std::move(path)});
    reader.Wake.notify_one();
}

std::optional<TImageReading> TImageReaderPool::Take(std::size_t number, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(FMutex);
    if (!FReady.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return FReadings.count(number) != 0; }))
        return std::nullopt;
    const auto found = FReadings.find(number);
    TImageReading reading = std::move(found->second);
    FReadings.erase(found);
    return reading;
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
        TImageReading reading = ReadImage(*reader.Tool, job.Path, FSettings);
        lock.lock();
        FReadings.emplace(job.Number, std::move(reading));
        FReady.notify_all();
    }
}

} // namespace zelmaro
