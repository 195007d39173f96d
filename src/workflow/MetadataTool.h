#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelmaro {

// How long one reading call may take before it counts as failed: a stalled
// network share must not hang the program.
inline constexpr int kReadBoundMs = 30000;

// A call under way is let finish for this long before a cancel stops it
// (a read) or the window hears of it, so that a cancel keeps what is read
// at the usual speed, and only a hanging read is cut short.
inline constexpr int kCallGraceMs = 500;

// A call that ended without the tool's answer.
class EToolCallFailed : public std::runtime_error {
public:
    enum class TReason {
        trTimedOut, // a read took longer than its bound
        trStopped,  // the caller stopped a read
        trEnded,    // the tool ended during the call
    };
    EToolCallFailed(TReason reason, const std::string& message)
        : std::runtime_error(message), FReason(reason)
    {
    }
    TReason Reason() const { return FReason; }

private:
    TReason FReason;
};

// What a call tells its caller while it waits for the tool: how long it has
// waited so far and whether it writes.
struct TToolWait {
    std::chrono::milliseconds Waited{0};
    bool Writing = false;
};
// Heard every few hundred milliseconds while a call waits; false stops a
// read (which then throws trStopped). A write is never stopped.
using TWaitHook = std::function<bool(const TToolWait&)>;

// One call of the external metadata tool: its arguments in, its standard
// output lines out. Throws when the tool cannot be started, and
// EToolCallFailed where the transport can tell that a call failed.
class TMetadataTool {
public:
    virtual ~TMetadataTool() = default;
    // Appends the tool's output lines to outputLines; the exit code is not used.
    virtual void Run(const std::vector<std::string>& arguments,
                     std::vector<std::string>& outputLines) = 0;
    // Like Run, and appends the tool's error lines to errorLines where this
    // transport can read them; by default it cannot.
    virtual void RunReportingErrors(const std::vector<std::string>& arguments,
                                    std::vector<std::string>& outputLines,
                                    std::vector<std::string>& errorLines)
    {
        static_cast<void>(errorLines);
        Run(arguments, outputLines);
    }
    // A call that changes files: never bounded in time, never stopped and
    // never run again, since a tool killed while it replaces a file can
    // leave the picture gone. Throws EToolCallFailed (trEnded) when the tool
    // ended before it answered.
    virtual void RunWrite(const std::vector<std::string>& arguments,
                          std::vector<std::string>& outputLines,
                          std::vector<std::string>& errorLines)
    {
        RunReportingErrors(arguments, outputLines, errorLines);
    }
    // Whether, given several files in one call, the tool heads each file's
    // lines with "======== <path>" as exiftool does, so that one call can
    // read several images.
    virtual bool SeparatesFiles() const { return false; }

    // Who hears of long waits (see TWaitHook); none by default.
    void SetWaitHook(TWaitHook hook) { FWaitHook = std::move(hook); }
    const TWaitHook& WaitHook() const { return FWaitHook; }

protected:
    // Asks the hook; true without one.
    bool KeepWaiting(const TToolWait& wait) const { return !FWaitHook || FWaitHook(wait); }

private:
    TWaitHook FWaitHook;
};

// Gives a tool its wait hook back when it goes: a tool lent to workers on
// other threads hears its own again after.
class TWaitHookLoan {
public:
    explicit TWaitHookLoan(TMetadataTool* tool) : FTool(tool)
    {
        if (FTool)
            FHook = FTool->WaitHook();
    }
    ~TWaitHookLoan()
    {
        if (FTool)
            FTool->SetWaitHook(std::move(FHook));
    }
    TWaitHookLoan(const TWaitHookLoan&) = delete;
    TWaitHookLoan& operator=(const TWaitHookLoan&) = delete;
    TMetadataTool* Tool() const { return FTool; }

private:
    TMetadataTool* FTool;
    TWaitHook FHook;
};

// A tool that runs exiftool itself: every kind of call goes to Call, told
// whether it writes; exiftool heads each file's lines in a call of several.
class TExifToolCalls : public TMetadataTool {
public:
    void Run(const std::vector<std::string>& arguments, std::vector<std::string>& outputLines) final
    {
        std::vector<std::string> errors;
        Call(arguments, false, outputLines, errors);
    }
    void RunReportingErrors(const std::vector<std::string>& arguments,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines) final
    {
        Call(arguments, false, outputLines, errorLines);
    }
    void RunWrite(const std::vector<std::string>& arguments, std::vector<std::string>& outputLines,
                  std::vector<std::string>& errorLines) final
    {
        Call(arguments, true, outputLines, errorLines);
    }
    bool SeparatesFiles() const final { return true; }

protected:
    virtual void Call(const std::vector<std::string>& arguments, bool writing,
                      std::vector<std::string>& outputLines,
                      std::vector<std::string>& errorLines) = 0;
};

// Starts the program once per call, checked as the console runner checks
// it; each argument reaches it as one argument whatever blanks or quotes it
// holds. A read is bounded by readBoundMs and ended when it takes longer.
class TConsoleMetadataTool final : public TExifToolCalls {
public:
    explicit TConsoleMetadataTool(std::string program, int readBoundMs = kReadBoundMs)
        : FProgram(std::move(program)), FReadBoundMs(readBoundMs)
    {
    }

private:
    void Call(const std::vector<std::string>& arguments, bool writing,
              std::vector<std::string>& outputLines, std::vector<std::string>& errorLines) override;

    std::string FProgram;
    int FReadBoundMs;
};

// The tool's file name on this system ("exiftool", or "exiftool.exe" on Windows).
const char* ExifToolFileName();

// Where the tool is: in programDir if it lies there, else (POSIX) the first
// one on searchPath; nullopt when there is none.
std::optional<std::string> FindExifTool(const std::string& programDir,
                                        const std::string& searchPath);

// The same for the running program and the system's PATH.
std::optional<std::string> FindExifTool();

// The start-up error when the tool is missing.
std::string MissingExifToolMessage();

} // namespace zelmaro
