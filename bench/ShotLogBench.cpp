// Reading a 100 MB table log: the whole text is in memory once, its
// entries once more.
#include "shotlog/LogSource.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace zelmaro;

namespace {

// A N.I.N.A.-like table of about the given size.
std::string BigLog(std::size_t bytes)
{
    std::string text = "ExposureNumber,FilePath,FilterName,ExposureStart,Duration,Binning,Gain,"
                       "HFR,ExposureStartUTC\r\n";
    char row[200];
    for (unsigned n = 0; text.size() < bytes; ++n) {
        const unsigned s = n * 7;
        std::snprintf(
            row, sizeof row,
            "%u,\"D:\\Astro\\M31, Andromeda\\M31_%06u.fits\",L,2024-05-%02u %02u:%02u:%02u,"
            "%u.5,1x1,100,2.31,2024-05-%02uT%02u:%02u:%02uZ\r\n",
            n, n, 1 + s / 86400 % 28, s / 3600 % 24, s / 60 % 60, s % 60, n % 600,
            1 + s / 86400 % 28, s / 3600 % 24, s / 60 % 60, s % 60);
        text += row;
    }
    return text;
}

void BM_ReadTableLog100MB(benchmark::State& state)
{
    const std::string text = BigLog(100u << 20);
    std::size_t entries = 0;
    for (auto _ : state) {
        const TLogTextRead read = ReadLogText(text, {});
        entries = read.Parse.Shots.size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadTableLog100MB)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
