// libFuzzer target: the shot-log parser on arbitrary text, without a
// workflow. Whatever the text, the parse ends or stops at an impossible
// moment with a reason, and a further line only ever adds its own entry
// behind the others, unless the parse had already stopped.
#include "workflow/ShotLog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace zelmaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FormatSettings settings = size % 2 ? FormatSettings::German() : FormatSettings();
    // Half of the inputs get the title so that the entries are reached.
    std::vector<std::string> lines = SplitTextLines(bytes);
    if (size % 3 != 0)
        lines.insert(lines.begin(), "Zelmaro");
    const TShotLogParse parse = ParseShotLog(lines, settings);
    if (parse.Shots.size() > size / 13 + 1 || (parse.Error && parse.Error->empty()))
        std::abort();

    // A title may carry blanks or a CR behind it.
    const bool titled = parse.IsLog;
    lines.push_back("0801052103071");
    const TShotLogParse longer = ParseShotLog(lines, settings);
    const std::size_t added = titled && !parse.Error ? 1 : 0;
    const auto same = [](const TShotItem& a, const TShotItem& b) {
        return a.Date == b.Date && (a.ExposureTime == b.ExposureTime ||
                                    (std::isnan(a.ExposureTime) && std::isnan(b.ExposureTime)));
    };
    if (longer.Shots.size() != parse.Shots.size() + added || longer.Error != parse.Error ||
        !std::equal(parse.Shots.begin(), parse.Shots.end(), longer.Shots.begin(), same))
        std::abort();
    if (added == 1 && longer.Shots.back().ExposureTime != 1)
        std::abort();
    return 0;
}
