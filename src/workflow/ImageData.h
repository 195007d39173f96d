#pragma once

#include "platform/FormatSettings.h"
#include "workflow/MetadataTool.h"

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
    // Both were found: the image can be paired.
    bool Complete() const { return Date != 0 && ExposureTime != 0; }
};

// Reads the tool's lines for one image; a later line wins. An impossible
// creation date throws ConversionError.
TImageData ParseImageData(const std::vector<std::string>& lines, const FormatSettings& settings);

// The path as the tool gets it: one starting with "-" is no option.
std::string ToolArgumentPath(const std::string& path);

// The tool's lines for the image at path; nullopt when there is no such file.
// Throws when the tool cannot be started.
std::optional<std::vector<std::string>> ReadImageLines(TMetadataTool& tool,
                                                       const std::string& path);

} // namespace zelmaro
