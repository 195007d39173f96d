#pragma once

#include "platform/ChildProcess.h"
#include "workflow/MetadataTool.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zelmaro {

// How long one call may take in a session before the session counts as broken.
inline constexpr int kSessionAnswerMs = 30000;

// One long-lived exiftool (-stay_open True -@ -) for all calls of a command.
// Each call sends the same arguments a single run would get, one per line,
// and yields the same output lines. When the session cannot be started,
// breaks or does not answer in time, it is ended and this call and all later
// ones run one process each; so does a call whose arguments the argument
// file cannot carry. Destroying the object ends the session and its process.
class TExifToolSession final : public TMetadataTool {
public:
    explicit TExifToolSession(std::string program, int answerTimeoutMs = kSessionAnswerMs);
    ~TExifToolSession() override;
    TExifToolSession(const TExifToolSession&) = delete;
    TExifToolSession& operator=(const TExifToolSession&) = delete;

    void Run(const std::vector<std::string>& arguments,
             std::vector<std::string>& outputLines) override;
    // In the session, the tool's standard error of this call; a call that
    // runs a process of its own reports none.
    void RunReportingErrors(const std::vector<std::string>& arguments,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines) override;
    bool SeparatesFiles() const override { return true; }

    // Starts the session's process now rather than at the first call; a
    // start that fails falls back as it would there.
    void StartNow();

    // The running session's process, or 0 when there is none (for tests;
    // both may be asked from another thread than the one that calls).
    TProcessHandle SessionHandle() const { return FHandle; }
    // True once the session has been given up for the rest of the command.
    bool FellBack() const { return FBroken; }

    // Whether one argument fits on a line of an argument file unchanged.
    static bool FitsArgumentLine(const std::string& argument);

private:
    bool Start();
    bool Call(const std::vector<std::string>& arguments, std::vector<std::string>& outputLines,
              std::vector<std::string>& errorLines);
    void DrainErrors();
    void Abandon();
    void End();

    std::string FProgram;
    int FTimeoutMs;
    std::unique_ptr<TPipedChildProcess> FChild;
    std::string FPending; // output read past the last call's end
    std::string FErrors;  // standard error of the running call
    unsigned FCallNumber = 0;
    std::atomic<TProcessHandle> FHandle{0};
    std::atomic<bool> FBroken{false};
};

} // namespace zelmaro
