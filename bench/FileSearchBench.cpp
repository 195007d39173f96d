#include "common/TempDir.h"
#include "support/FileSearch.h"
#include "support/Wildcard.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A picture directory of 20,000 files: mostly camera files of a few kinds,
// some side files the scan has to pass over.
class PictureDir {
public:
    PictureDir()
    {
        const char* extensions[] = {".JPG", ".CR2", ".jpg", ".NEF", ".xmp", ".TIF", ".thm"};
        for (int i = 0; i < 20000; ++i)
            FDir.Write("IMG_" + std::to_string(100000 + i) + extensions[i % 7]);
    }
    const std::string& Path() const { return FDir.Path(); }

private:
    zelmaro::test::TTempDir FDir{"zelmaro-bench-"};
};

void BM_PictureScanMasks(benchmark::State& state)
{
    static const PictureDir dir;
    static const char* masks[] = {"*.CR2", "*.CRW", "*.DNG", "*.JPG", "*.JPEG", "*.MRW",
                                  "*.NEF", "*.ORF", "*.PEF", "*.PSD", "*.TIF",  "*.TIFF"};
    for (auto _ : state) {
        std::size_t found = 0;
        for (const char* mask : masks)
            found +=
                zelmaro::FindFiles(zelmaro::JoinPath(dir.Path(), mask), false, false, true, false)
                    .size();
        benchmark::DoNotOptimize(found);
        if (found != 14286) // all but the .xmp and .thm files
            state.SkipWithError("unexpected number of files");
    }
}
BENCHMARK(BM_PictureScanMasks)->Unit(benchmark::kMillisecond);

void BM_WildcardMatch(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(zelmaro::WildcardMatch("img_0001.jpg", "*.JPG", true));
}
BENCHMARK(BM_WildcardMatch);

} // namespace
