#pragma once

#include "shotlog/LogSource.h"
#include "support/Result.h"
#include "workflow/Records.h"
#include "workflow/Sidecar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro {

enum class TOutputFormat { ofTable, ofCsv, ofJson };

// What the command line asks for.
struct TCliOptions {
    std::string Directory;
    std::optional<std::string> LogFile;
    std::optional<std::string> PalmUser;
    std::optional<int> Offset;
    bool AutoOffset = false;
    // Offsets are brought into -MaxOffset..MaxOffset.
    int MaxOffset = kMaxOffset;
    bool AlignNearest = false;
    // --align name / frame: pairs by the log's file names or frame numbers.
    bool AlignName = false;
    bool AlignFrame = false;
    std::uint32_t FirstFrame = 1;
    // --columns and --time-format: a table no known format fits.
    std::optional<TColumnMapping> Columns;
    std::optional<int> Tolerance;
    bool Write = false;
    // --sidecar: the values go into the images' XMP sidecars, and where one
    // holds an exposure time, the table shows it.
    TSidecar Sidecar = TSidecar::svNone;
    // --write-all: the whole logged set is written along (ExposureSet.h).
    bool WriteAll = false;
    // Prints the tool's argument file of --write instead of the table.
    bool DryRun = false;
    // Instead of matching: put back or delete the originals the tool kept.
    bool Restore = false;
    bool DeleteOriginals = false;
    TOutputFormat Format = TOutputFormat::ofTable;
    bool ListPalmUsers = false;
    bool Help = false;
};

// The options of arguments (without the program name), or the German text
// that says what is wrong with them; and the output format as far as the
// arguments were read, so that a usage error after "--format json" can still
// be answered in JSON.
struct TCliParse {
    TResult<TCliOptions> Options;
    TOutputFormat Format = TOutputFormat::ofTable;
};
TCliParse ParseCliArguments(const std::vector<std::string>& arguments);

// The --help text.
std::string CliUsage();

} // namespace zelmaro
