#pragma once

#include "runner/OutputLineSplitter.h"
#include "runner/RunnerErrors.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelmaro {

// How long the runner waits for a program to end once its output has closed.
inline constexpr int kExitWaitMs = 5000;

// Runs a console program without a window and collects its standard output
// as lines, appended to lines and passed to onLine (either may be absent).
// Returns after the output has closed and the program has ended, or with
// kStillActive when it still runs kExitWaitMs later (it is then ended).
// parameters follow the program as one text; on POSIX they are split into
// arguments by the Windows quoting rules (see QuoteArgument). Raises
// EInOutError when the file cannot be run and EOSError when it cannot be
// started; lines is left as it was then.
std::int32_t RunConsoleApp(const std::string& fileName, const std::string& parameters,
                           std::vector<std::string>* lines, const TConsoleLineEvent& onLine = {});

// The runner's message for a failed system call.
std::string SystemErrorMessage(int errorCode);

} // namespace zelmaro
