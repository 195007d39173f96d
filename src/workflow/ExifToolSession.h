#pragma once

#include "platform/ChildProcess.h"
#include "workflow/MetadataTool.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zelmaro {

// How many sessions in a row may fail before the rest of the command runs
// one process per call.
inline constexpr int kSessionStarts = 3;

// One long-lived exiftool (-stay_open True -@ -) for all calls of a command.
// Each call sends the same arguments a single run would get, one per line,
// and yields the same output lines. A read that outlives its bound is ended
// with its session and fails (EToolCallFailed); a session that breaks is
// ended and the next call starts a fresh one, a read at once; after
// kSessionStarts failures in a row the calls run one process each, as does
// a call whose arguments the argument file cannot carry. A write is never
// timed out nor run twice. Destroying the object ends the session and its
// process.
class TExifToolSession final : public TExifToolCalls {
public:
    explicit TExifToolSession(std::string program, int readBoundMs = kReadBoundMs);
    ~TExifToolSession() override;
    TExifToolSession(const TExifToolSession&) = delete;
    TExifToolSession& operator=(const TExifToolSession&) = delete;

    // Starts the session's process now rather than at the first call; a
    // start that fails counts as at the first call.
    void StartNow();

    // The running session's process, or 0 when there is none (for tests;
    // both may be asked from another thread than the one that calls).
    TProcessHandle SessionHandle() const { return FHandle; }
    // True once sessions have been given up for the rest of the command.
    bool FellBack() const { return FBroken; }
    // How many sessions were started (for tests).
    int SessionsStarted() const { return FStarted; }

    // Whether one argument fits on a line of an argument file unchanged.
    static bool FitsArgumentLine(const std::string& argument);

private:
    enum class TCallEnd { ceAnswered, ceBroken };
    void Call(const std::vector<std::string>& arguments, bool writing,
              std::vector<std::string>& outputLines, std::vector<std::string>& errorLines) override;
    bool Start();
    TCallEnd CallOnce(const std::vector<std::string>& arguments, bool writing,
                      std::vector<std::string>& outputLines, std::vector<std::string>& errorLines);
    // Ends the session's process and counts a failure.
    void Abandon(bool failure);
    void End();

    std::string FProgram;
    int FReadBoundMs;
    std::unique_ptr<TPipedChildProcess> FChild;
    std::string FPending; // output read past the last call's end
    std::string FErrors;  // standard error of the running call
    unsigned FCallNumber = 0;
    int FFailures = 0; // sessions failed in a row
    int FStarted = 0;
    std::atomic<TProcessHandle> FHandle{0};
    std::atomic<bool> FBroken{false};
};

} // namespace zelmaro
