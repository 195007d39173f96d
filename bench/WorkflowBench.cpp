#include "common/FakeHost.h"
#include "workflow/Alignment.h"
#include "workflow/Matching.h"
#include "workflow/Workflow.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

constexpr std::uint32_t kEvening = 3408717600u; // 2008-01-05 18:00:00
constexpr std::uint32_t kTwelveHours = 12 * 3600;

// 2,000 shots over twelve hours and their images 37 s (or shift) later, a
// tenth of them with a second of jitter and a twentieth without a shot at all.
void FillNight(TWorkflow& flow, int count, std::uint32_t shift = 37)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> moment(0, kTwelveHours);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t shot = kEvening + moment(random);
        flow.AddShot({shot, 30});
        std::uint32_t image = shot + shift;
        if (random() % 10 == 0)
            image += 1;
        if (random() % 20 == 0)
            image = kEvening + moment(random);
        flow.AddImage({"IMG.CR2", image, 0.5});
    }
}

// The second argument: 0 positional rows, 1 the nearest alignment.
void BM_MatchAll(benchmark::State& state)
{
    FakeHost host;
    TWorkflow flow(host, FormatSettings::German());
    flow.AddObserver(host);
    if (state.range(1))
        flow.SetAlignment(TRowAlignment::alNearest);
    FillNight(flow, static_cast<int>(state.range(0)));
    flow.SetOffset(37);
    for (auto _ : state) {
        flow.MatchAll();
        host.Log.clear();
    }
    benchmark::DoNotOptimize(flow.Matches().data());
}
BENCHMARK(BM_MatchAll)->Args({2000, 0})->Args({5000, 1})->Unit(benchmark::kMillisecond);

// The second argument is the search's bound: the narrow one, or the window's
// day, where the camera clock is an hour and 37 s ahead.
void BM_FindAutoOffset(benchmark::State& state)
{
    FakeHost host;
    TWorkflow flow(host, FormatSettings::German());
    flow.AddObserver(host);
    const int bound = static_cast<int>(state.range(1));
    const std::uint32_t shift = bound > kMaxOffset ? 3637 : 37;
    flow.SetMaxOffset(bound);
    FillNight(flow, static_cast<int>(state.range(0)), shift);
    for (auto _ : state) {
        flow.FindAutoOffset();
        host.Log.clear();
    }
    if (host.OffsetValue() != static_cast<int>(shift))
        state.SkipWithError("wrong offset");
}
BENCHMARK(BM_FindAutoOffset)
    ->Args({2000, kMaxOffset})
    ->Args({2000, kMaxWideOffset})
    ->Unit(benchmark::kMillisecond);

// A season's log: 200,000 shots over 228 days and 20,000 images taken 37 s
// after some of them. The argument is the search's bound: the command
// line's default, or the window's day.
void BM_FindAutoOffsetSeason(benchmark::State& state)
{
    FakeHost host;
    TWorkflow flow(host, FormatSettings::German());
    flow.AddObserver(host);
    const int bound = static_cast<int>(state.range(0));
    flow.SetMaxOffset(bound, kMaxOffset);
    std::mt19937 random(228);
    std::uniform_int_distribution<std::uint32_t> moment(0, 228 * 24 * 3600);
    std::vector<std::uint32_t> shots(200000);
    for (std::uint32_t& shot : shots) {
        shot = kEvening + moment(random);
        flow.AddShot({shot, 30});
    }
    for (int i = 0; i < 20000; ++i)
        flow.AddImage({"IMG.CR2", shots[random() % shots.size()] + 37, 0.5});
    for (auto _ : state) {
        flow.FindAutoOffset();
        host.Log.clear();
    }
    if (host.OffsetValue() != 37)
        state.SkipWithError("wrong offset");
}
BENCHMARK(BM_FindAutoOffsetSeason)
    ->Arg(kMaxOffset)
    ->Arg(kMaxWideOffset)
    ->Unit(benchmark::kMillisecond);

// 5,000 shots and images, the second argument the hours they span: twelve
// is a night, one hour a burst with many shots within reach of each image.
void BM_AlignNearest(benchmark::State& state)
{
    std::mt19937 random(5);
    const auto count = static_cast<std::size_t>(state.range(0));
    std::uniform_int_distribution<std::uint32_t> moment(
        0, static_cast<std::uint32_t>(state.range(1) * 3600));
    std::vector<std::uint32_t> shots(count);
    std::vector<std::uint32_t> images(count);
    for (std::size_t i = 0; i < count; ++i) {
        shots[i] = kEvening + moment(random);
        images[i] = random() % 20 ? shots[i] + 37 + random() % 2 : kEvening + moment(random);
    }
    std::sort(shots.begin(), shots.end());
    std::sort(images.begin(), images.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(AlignNearest(images, shots, 37, 1).data());
}
BENCHMARK(BM_AlignNearest)->Args({5000, 12})->Args({5000, 1})->Unit(benchmark::kMillisecond);

// 5,000 images and 200,000 shots crowded into a few seconds, so that every
// image can pair with every shot: the alignment's memory must not grow
// with their product.
void BM_AlignNearestCrowded(benchmark::State& state)
{
    std::mt19937 random(6);
    std::vector<std::uint32_t> shots(200000);
    std::vector<std::uint32_t> images(5000);
    for (std::uint32_t& shot : shots)
        shot = kEvening + random() % 3;
    for (std::uint32_t& image : images)
        image = kEvening + random() % 3;
    std::sort(shots.begin(), shots.end());
    std::sort(images.begin(), images.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(AlignNearest(images, shots, 0, 1).data());
}
BENCHMARK(BM_AlignNearestCrowded)->Iterations(1)->Unit(benchmark::kMillisecond);

// Moments spread over the whole unsigned range: the search that does not
// count in an array.
void BM_BestAutoOffsetWideSpread(benchmark::State& state)
{
    std::mt19937 random(7);
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint32_t> shots(count);
    std::vector<std::uint32_t> images(count);
    for (std::size_t i = 0; i < count; ++i) {
        shots[i] = static_cast<std::uint32_t>(random());
        images[i] = random() % 2 ? shots[i] + 37 : static_cast<std::uint32_t>(random());
    }
    std::sort(shots.begin(), shots.end());
    std::sort(images.begin(), images.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(BestAutoOffset(images, shots));
}
BENCHMARK(BM_BestAutoOffsetWideSpread)->Arg(2000)->Unit(benchmark::kMillisecond);

// Moments for count records in ascending (0), descending (1) or random (2)
// order, a few of them equal.
std::vector<std::uint32_t> Moments(std::int64_t order, std::size_t count)
{
    std::vector<std::uint32_t> moments(count);
    for (std::size_t i = 0; i < count; ++i)
        moments[i] = kEvening + static_cast<std::uint32_t>(i - i % 7 / 6);
    if (order == 1)
        std::reverse(moments.begin(), moments.end());
    if (order == 2)
        std::shuffle(moments.begin(), moments.end(), std::mt19937(3));
    return moments;
}

// The ordered insertion of shots and images, by arrival order.
void BM_AddRecords(benchmark::State& state)
{
    const auto moments = Moments(state.range(0), static_cast<std::size_t>(state.range(1)));
    FakeHost host;
    for (auto _ : state) {
        TWorkflow flow(host, FormatSettings::German());
        for (std::uint32_t moment : moments) {
            flow.AddShot({moment, 30});
            flow.AddImage({"IMG_0001.JPG", moment, 0.5});
        }
        benchmark::DoNotOptimize(flow.Shots().front().Date);
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_AddRecords)
    ->ArgNames({"order", "n"})
    ->Args({0, 160000})
    ->Args({1, 160000})
    ->Args({2, 160000})
    ->Unit(benchmark::kMillisecond);

// A shot log written newest first, as some releases keep it, through the parser.
void BM_ParseShotLogNewestFirst(benchmark::State& state)
{
    const auto moments = Moments(1, static_cast<std::size_t>(state.range(0)));
    std::vector<std::string> lines{"Zelmaro"};
    char entry[32];
    for (std::uint32_t moment : moments) {
        const std::uint32_t s = moment - kEvening;
        std::snprintf(entry, sizeof entry, "-0801%02u%02u%02u%02u30-", 5 + s / 86400, s / 3600 % 24,
                      s / 60 % 60, s % 60);
        lines.emplace_back(entry);
    }
    FakeHost host;
    for (auto _ : state) {
        TWorkflow flow(host, FormatSettings::German());
        flow.ParseShotLog(lines);
        if (flow.Shots().size() != moments.size())
            state.SkipWithError("entries lost");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseShotLogNewestFirst)->Arg(160000)->Unit(benchmark::kMillisecond);

} // namespace
