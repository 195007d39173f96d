#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace zelmaro {

// Results that worker threads hand in as they finish and one caller takes
// back by number, in its own order.
template <typename T> class TNumberedResults {
public:
    // The number of the first of the next count items; numbers run from 0 in
    // the order of these calls.
    std::size_t Number(std::size_t count)
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        const std::size_t first = FNumbered;
        FNumbered += count;
        return first;
    }

    // Hands in the results numbered first, first + 1, ...
    void Put(std::size_t first, std::vector<T> results)
    {
        {
            const std::lock_guard<std::mutex> lock(FMutex);
            for (std::size_t k = 0; k < results.size(); ++k)
                FResults.emplace(first + k, std::move(results[k]));
        }
        FReady.notify_all();
    }

    // Result number, waiting at most timeoutMs for it; nullopt when it is not
    // there yet.
    std::optional<T> Take(std::size_t number, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(FMutex);
        if (!FReady.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return FResults.count(number) != 0; }))
            return std::nullopt;
        const auto found = FResults.find(number);
        T result = std::move(found->second);
        FResults.erase(found);
        return result;
    }

private:
    std::mutex FMutex;
    std::condition_variable FReady;
    std::map<std::size_t, T> FResults;
    std::size_t FNumbered = 0;
};

} // namespace zelmaro
