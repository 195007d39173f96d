// Seconds for reading small images with the real exiftool: the scan through
// sessions (one reader, then one per usable core), the scan with one tool
// process per call (a batch of images), and one plain tool run over the
// directory as the yardstick. The figures to compare are
// BM_ScanPicturesSession/0 and BM_OneToolRunOverTheDirectory, both over
// 2,000 images.
#include "E2ESession.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

constexpr int kImages = 2000;
constexpr int kPerCallImages = 500; // a process per call: slow

// A directory of count images, made once for all benchmarks.
const TempDir& Images(int count)
{
    static std::map<int, std::unique_ptr<TempDir>> made;
    std::unique_ptr<TempDir>& dir = made[count];
    if (!dir) {
        dir = std::make_unique<TempDir>();
        std::vector<TaggedImage> images;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
            char date[32];
            std::snprintf(date, sizeof date, "2008:01:05 %02d:%02d:%02d", 20 + i / 3600,
                          i / 60 % 60, i % 60);
            images.push_back({name, date, i % 2 ? "1/250" : "30"});
        }
        WriteTaggedImages(dir->Path(), images);
    }
    return *dir;
}

void ScanWith(benchmark::State& state, bool session, int count)
{
    const TempDir& dir = Images(count);
    WorkflowRig rig;
    if (!rig.Flow.LocateExifTool()) {
        state.SkipWithError("exiftool is missing");
        return;
    }
    rig.Flow.SetToolSessionEnabled(session);
    rig.Flow.SetScanReaders(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        rig.Flow.ReadPictures(dir.Path());
        if (rig.Flow.Images().size() != static_cast<std::size_t>(count) ||
            !rig.Host.Messages.empty()) {
            state.SkipWithError("scan failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// Argument: the readers at once; 0 is one per usable core, as the program does.
void BM_ScanPicturesSession(benchmark::State& state)
{
    ScanWith(state, true, kImages);
}
BENCHMARK(BM_ScanPicturesSession)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(3)
    ->UseRealTime();

void BM_ScanPicturesPerCall(benchmark::State& state)
{
    ScanWith(state, false, kPerCallImages);
}
BENCHMARK(BM_ScanPicturesPerCall)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_OneToolRunOverTheDirectory(benchmark::State& state)
{
    const TempDir& dir = Images(kImages);
    for (auto _ : state)
        benchmark::DoNotOptimize(RunExifTool({"-CreateDate", "-ExposureTime", dir.Path()}));
    state.SetItemsProcessed(state.iterations() * kImages);
}
BENCHMARK(BM_OneToolRunOverTheDirectory)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace
