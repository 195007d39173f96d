// Seconds for pairing and writing 200 raw-sized files (21.8 MB each, a
// 16-bit TIFF as large as a raw file's data) with the real exiftool, the way
// the command line runs: scan, log, write, read-back, until the data is on
// disk. The figures to compare are BM_WriteRawFiles/0 (into the files) and
// BM_WriteRawFiles/1 (into new XMP sidecars).
#include "E2ESession.h"

#include "workflow/Sidecar.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

using namespace zelmaro;
using namespace zelmaro::test;

namespace {

constexpr int kFiles = 200;
constexpr std::uint32_t kSide = 3300; // 3300 × 3300 × 2 bytes: 21.8 MB

// An uncompressed 16-bit grey TIFF of kSide × kSide.
std::string BigTiff()
{
    std::string bytes = "II*";
    bytes += '\0';
    const auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    };
    put(8, 4);
    const std::uint32_t entries[][3] = {
        // tag, type (3 short, 4 long), value
        {256, 4, kSide}, {257, 4, kSide}, {258, 3, 16},
        {259, 3, 1},     {262, 3, 1},     {273, 4, 0},
        {277, 3, 1},     {278, 4, kSide}, {279, 4, kSide * kSide * 2},
    };
    const std::uint32_t count = sizeof entries / sizeof entries[0];
    const std::uint32_t dataAt = 8 + 2 + count * 12 + 4;
    put(count, 2);
    for (const auto& entry : entries) {
        put(entry[0], 2);
        put(entry[1], 2);
        put(1, 4);
        put(entry[0] == 273 ? dataAt : entry[2], 4);
    }
    put(0, 4);
    bytes.resize(dataAt + std::size_t{kSide} * kSide * 2, '\x40');
    return bytes;
}

// The directory of files and their log, made once.
const TempDir& RawFiles()
{
    static std::unique_ptr<TempDir> dir;
    if (dir)
        return *dir;
    dir = std::make_unique<TempDir>();
    const std::string tiff = BigTiff();
    std::vector<std::string> arguments;
    std::string log = "Zelmaro\r\n";
    for (int i = 0; i < kFiles; ++i) {
        char name[32], date[32], entry[32];
        std::snprintf(name, sizeof name, "R_%03d.tif", i);
        std::snprintf(date, sizeof date, "2024:06:01 %02d:%02d:00", 20 + i / 60, i % 60);
        std::snprintf(entry, sizeof entry, "-2406%02d%02d%02d0060", 1, 20 + i / 60, i % 60);
        dir->Write(name, tiff);
        if (!arguments.empty())
            arguments.push_back("-execute");
        arguments.insert(arguments.end(),
                         {std::string("-CreateDate=") + date, "-ExposureTime=30", dir->File(name)});
        log += std::string(entry) + "-\r\n";
    }
    arguments.insert(arguments.end(), {"-common_args", "-q", "-overwrite_original"});
    std::vector<std::string> lines;
    std::vector<std::string> errors;
    TConsoleMetadataTool(ExifToolPath()).RunWrite(arguments, lines, errors);
    dir->Write("Zelmaro.txt", log);
    return *dir;
}

// Argument: 0 writes into the files, 1 into new sidecars (NAME.xmp).
void BM_WriteRawFiles(benchmark::State& state)
{
    const bool sidecars = state.range(0) != 0;
    const TempDir& dir = RawFiles();
    WorkflowRig rig;
    if (!rig.Flow.LocateExifTool()) {
        state.SkipWithError("exiftool is missing");
        return;
    }
    rig.Flow.SetSidecar(sidecars ? TSidecar::svXmp : TSidecar::svNone);
    for (auto _ : state) {
        {
            const TWorkflow::TToolSessionsHold sessions(rig.Flow);
            rig.Flow.ReadPictures(dir.Path());
            rig.Flow.ReadLogFile(dir.Path());
            rig.Flow.WriteExposureTimes();
            ::sync();
        }
        const bool written = rig.Flow.LastWrite().Written.size() == kFiles;
        state.PauseTiming();
        // Back to the files as they were, and their writes on disk.
        rig.Flow.RestoreOriginals(dir.Path(), TOriginalAction::oaRestore);
        ::sync();
        state.ResumeTiming();
        if (!written || !rig.Host.Messages.empty()) {
            state.SkipWithError("the write failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_WriteRawFiles)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

} // namespace
