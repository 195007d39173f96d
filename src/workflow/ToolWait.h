#pragma once

#include "platform/ChildProcess.h"
#include "workflow/MetadataTool.h"

#include <functional>
#include <string>

namespace zelmaro {

// Where waiting for a call's output ended.
enum class TAwaitEnd {
    aeAnswered, // the answer is complete
    aeClosed,   // the tool closed its output (it ended)
    aeTimedOut, // a read outlived its bound
    aeStopped,  // the hook stopped a read
};

// Reads the child's output into pending until answered(pending) holds or the
// output closes; a read also ends at its bound (boundMs) or when keepWaiting
// says so, a write only with its answer. Meanwhile the child's error stream
// goes into errors, so that the child never blocks on it. keepWaiting is
// first asked once the call has waited a while.
TAwaitEnd AwaitTool(TPipedChildProcess& child, std::string& pending, std::string& errors,
                    const std::function<bool(const std::string&)>& answered, bool writing,
                    int boundMs, const std::function<bool(const TToolWait&)>& keepWaiting);

// The failures of a call, as the user reads them.
EToolCallFailed ReadTimedOut(int boundMs);
EToolCallFailed ReadStopped();
// exitCode as the process layer reports it (128 + signal for a killed one).
EToolCallFailed EndedWhileWriting(int exitCode);

} // namespace zelmaro
