#pragma once

#include "platform/FormatSettings.h"
#include "workflow/WorkflowHost.h"

#include <optional>
#include <string>
#include <vector>

namespace zelmaro {

// The exposure time as the tool takes it: the number text with a decimal point.
std::string ExposureValueText(double exposureTime, const FormatSettings& settings);

// The tool's arguments that write the exposure time into the image at path.
std::vector<std::string> ExposureWriteArguments(double exposureTime, const std::string& path,
                                                const FormatSettings& settings);

// The read-back's extra tags: a camera's bulb duration, which readers show
// in place of the exposure time where it is set.
inline std::vector<std::string> ReadBackTags()
{
    return {"-BulbDuration"};
}
// The bulb duration in the tool's lines, if one is there.
std::optional<double> BulbDuration(const std::vector<std::string>& lines);

// The warning about images that did not take their value: the first ten,
// each with its reason, and how many more there are.
std::string WriteFailureMessage(const std::vector<TWriteFailure>& failures);

// Why the tool did not write the file at path, from its error lines (the
// first error, else the first warning, without the path it names), or
// empty when it gave none.
std::string ToolRefusal(const std::vector<std::string>& errorLines, const std::string& path);

} // namespace zelmaro
