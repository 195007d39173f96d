#pragma once

#include "FakeHost.h"
#include "FakeTable.h"
#include "support/DateTime.h"
#include "workflow/Workflow.h"

#include <cstdint>

namespace zelmaro::testing {

// A workflow on German settings with a recording host and table; the host's
// field changes run the workflow's handler as the real window does.
struct WorkflowRig {
    FakeHost Host;
    FakeTable Table;
    TWorkflow Flow{Host, Table, FormatSettings::German()};

    WorkflowRig()
    {
        Host.OnFieldsChanged = [this] { Flow.FieldsChanged(); };
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

} // namespace zelmaro::testing
