// Seconds for reading 500 images with the real exiftool: the scan through one
// session per command, the scan with one tool process per image, and one
// plain tool run over all the files as the floor.
#include "E2ESession.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace zelmaro;
using namespace zelmaro::testing;

namespace {

constexpr int kImages = 500;

// The images, made once for all benchmarks.
const TempDir& Images()
{
    static const std::unique_ptr<TempDir> dir = [] {
        auto made = std::make_unique<TempDir>();
        std::vector<TaggedImage> images;
        for (int i = 0; i < kImages; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
            char date[32];
            std::snprintf(date, sizeof date, "2008:01:05 %02d:%02d:%02d", 20 + i / 3600,
                          i / 60 % 60, i % 60);
            images.push_back({name, date, i % 2 ? "1/250" : "30"});
        }
        WriteTaggedImages(made->Path(), images);
        return made;
    }();
    return *dir;
}

void ScanWith(benchmark::State& state, bool session)
{
    const TempDir& dir = Images();
    WorkflowRig rig;
    if (!rig.Flow.LocateExifTool()) {
        state.SkipWithError("exiftool is missing");
        return;
    }
    rig.Flow.SetToolSessionEnabled(session);
    rig.Host.SetDirectoryText(dir.Path());
    for (auto _ : state) {
        rig.Flow.ReadPictures();
        if (rig.Flow.Images().size() != kImages || !rig.Host.Messages.empty()) {
            state.SkipWithError("scan failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}

void BM_ScanPicturesSession(benchmark::State& state)
{
    ScanWith(state, true);
}
BENCHMARK(BM_ScanPicturesSession)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void BM_ScanPicturesPerImage(benchmark::State& state)
{
    ScanWith(state, false);
}
BENCHMARK(BM_ScanPicturesPerImage)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_OneToolRunOverAllFiles(benchmark::State& state)
{
    const TempDir& dir = Images();
    std::vector<std::string> arguments = {"-CreateDate", "-ExposureTime"};
    for (int i = 0; i < kImages; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
        arguments.push_back(dir.File(name));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(RunExifTool(arguments));
    state.SetItemsProcessed(state.iterations() * kImages);
}
BENCHMARK(BM_OneToolRunOverAllFiles)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace
