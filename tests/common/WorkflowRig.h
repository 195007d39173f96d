#pragma once

#include "common/FakeHost.h"
#include "support/DateTime.h"
#include "workflow/Workflow.h"

#include <cstdint>

namespace zelmaro::test {

// A workflow on German settings with a recording host that also shows its
// state; the host's fields report to the workflow as the real window's do.
struct WorkflowRig {
    FakeHost Host;
    TWorkflow Flow{Host, FormatSettings::German()};

    WorkflowRig()
    {
        Flow.AddObserver(Host);
        Host.OnOffsetEdited = [this](int seconds) { Flow.OffsetEdited(seconds); };
        Host.OnToleranceEdited = [this](int seconds) { Flow.ToleranceEdited(seconds); };
    }
    WorkflowRig(const WorkflowRig&) = delete;
    WorkflowRig& operator=(const WorkflowRig&) = delete;
};

// Seconds since 1899-12-30 of a moment.
inline std::uint32_t Moment(int year, int month, int day, int hour, int minute, int second)
{
    const double days =
        EncodeDateTime({year, month, day, hour, minute, second, 0}, FormatSettings::German());
    return static_cast<std::uint32_t>(DaysToSeconds(days));
}

} // namespace zelmaro::test
