#include "support/FileSearch.h"
#include "support/Wildcard.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A picture directory of 20,000 files: mostly camera files of a few kinds,
// some side files the scan has to pass over.
class PictureDir {
public:
    PictureDir()
    {
        std::string pattern = (fs::temp_directory_path() / "zelmaro-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
        const char* extensions[] = {".JPG", ".CR2", ".jpg", ".NEF", ".xmp", ".TIF", ".thm"};
        for (int i = 0; i < 20000; ++i) {
            const std::string name = "IMG_" + std::to_string(100000 + i) + extensions[i % 7];
            std::ofstream(path_ + "/" + name);
        }
    }
    ~PictureDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
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
