// libFuzzer target: the shot-log parser on arbitrary text. Whatever the
// text, the parse either ends with an impossible moment or adds entries in
// time order, each made from a piece of the text.
#include "common/FakeHost.h"
#include "common/FakeTable.h"
#include "support/Conversions.h"
#include "workflow/Workflow.h"

#include <cstdlib>

using namespace zelmaro;
using namespace zelmaro::testing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FakeHost host;
    FakeTable table;
    TWorkflow flow(host, table, size % 2 ? FormatSettings::German() : FormatSettings());
    // Half of the inputs get the title so that the entries are reached.
    std::vector<std::string> lines = SplitTextLines(bytes);
    if (size % 3 != 0)
        lines.insert(lines.begin(), "Zelmaro");
    try {
        flow.ParseShotLog(lines);
    } catch (const ConversionError&) {
    }
    if (flow.Shots().size() > size / 13 + 1)
        std::abort();
    std::uint32_t previous = 0;
    for (const TShotItem& shot : flow.Shots()) {
        if (shot.Date < previous)
            std::abort();
        previous = shot.Date;
    }
    return 0;
}
