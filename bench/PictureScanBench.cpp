// Images per second of the picture scan with the real exiftool: one tool
// process per image.
#include "E2ESession.h"

#include <benchmark/benchmark.h>

using namespace zelmaro;
using namespace zelmaro::testing;

namespace {

constexpr int kImages = 200;

void BM_ScanPictures(benchmark::State& state)
{
    TempDir dir;
    std::vector<TaggedImage> images;
    for (int i = 0; i < kImages; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
        char date[32];
        std::snprintf(date, sizeof date, "2008:01:05 21:%02d:%02d", i / 60, i % 60);
        images.push_back({name, date, i % 2 ? "1/250" : "30"});
    }
    WriteTaggedImages(dir.Path(), images);

    WorkflowRig rig;
    if (!rig.Flow.LocateExifTool()) {
        state.SkipWithError("exiftool is missing");
        return;
    }
    for (auto _ : state) {
        if (!rig.Flow.ScanPictures(dir.Path()) || rig.Flow.Images().size() != kImages) {
            state.SkipWithError("scan failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}
BENCHMARK(BM_ScanPictures)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
