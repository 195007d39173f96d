#pragma once

#include "platform/FormatSettings.h"
#include "workflow/MetadataTool.h"
#include "workflow/Records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro {

// An image's creation date and exposure time as the tool's lines give them;
// 0 where a value is missing.
struct TImageData {
    std::uint32_t Date = 0;
    double ExposureTime = 0;
    TImageValues Values{}; // where the lines hold them
    // Both were found: the image can be paired.
    bool Complete() const { return Date != 0 && ExposureTime != 0; }
};

// Reads the tool's lines for one image; a later line wins. A creation date
// that is no moment (impossible, or beyond the 32-bit seconds) reads as 0;
// one with a part that is no number throws ConversionError.
TImageData ParseImageData(const std::vector<std::string>& lines, const FormatSettings& settings);

// The exposure time and the set's values a sidecar's lines hold (Date stays
// 0: its dates are none of ours); nothing where there are no lines.
TImageData ParseSidecarData(const std::optional<std::vector<std::string>>& lines,
                            const FormatSettings& settings);

// The path as the tool gets it: one starting with "-" is no option.
std::string ToolArgumentPath(const std::string& path);

// The tool's lines for the image at path, with those of extraTags; nullopt
// when there is no such file. Throws when the tool cannot be started.
std::optional<std::vector<std::string>>
ReadImageLines(TMetadataTool& tool, const std::string& path,
               const std::vector<std::string>& extraTags = {});

// The same for several images in one call, where the tool separates its
// files' output and that output can be told apart file by file; nullopt
// where it cannot (the images are then read one by one, as ReadImageLines).
std::optional<std::vector<std::optional<std::vector<std::string>>>>
ReadImagesTogether(TMetadataTool& tool, const std::vector<std::string>& paths,
                   const std::vector<std::string>& extraTags = {});

// The lines of one call over several files cut at the tool's
// "======== <path>" heads, one piece per path; nullopt unless the heads are
// exactly those paths in their order.
std::optional<std::vector<std::vector<std::string>>>
SplitFileOutput(const std::vector<std::string>& lines, const std::vector<std::string>& toolPaths);

} // namespace zelmaro
