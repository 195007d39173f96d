#pragma once

#include "platform/FormatSettings.h"
#include "platform/RegistryStore.h"

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace zelmaro {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 130; // as a shell reports an interrupt

// What the command-line program runs in.
struct TCliEnvironment {
    FormatSettings Settings;
    bool ErrIsTerminal = false;          // progress lines are rewritten in place
    std::atomic<bool>* Cancel = nullptr; // set by an interrupt; may be absent
    // Where Palm Desktop is looked up; without one, it is not installed.
    const RegistryStore* Registry = nullptr;
};

// The workflow without a window: reads the pictures and the log, matches,
// prints the table and, if asked, writes the checked rows. Answers the exit code.
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           const TCliEnvironment& environment);

} // namespace zelmaro
