#pragma once

#include "workflow/WorkflowHost.h"

#include <atomic>
#include <ostream>
#include <vector>

namespace zelmaro {

// The workflow's surroundings on a console: messages and progress go to the
// error stream, one line each whatever a name in them holds (ConsoleText);
// the cancel request is a flag that a signal handler may set. An interrupt
// cancels the whole run, so a new progress window does not clear it.
class TConsoleHost final : public TWorkflowHost {
public:
    // rewrite: the file line is rewritten in place (a terminal).
    TConsoleHost(std::ostream& err, bool rewrite, std::atomic<bool>& cancel)
        : TWorkflowHost(cancel), FErr(err), FRewrite(rewrite)
    {
    }
    void ShowError(std::string_view message, std::string_view caption) override;
    void ShowWarning(std::string_view message, std::string_view caption) override;
    void ShowInfo(std::string_view message, std::string_view caption) override;
    // One line per image.
    void ShowWriteFailures(const std::vector<TWriteFailure>& failures) override;

    std::unique_ptr<TProgressView> CreateProgress() override;
    // A line on the error stream; an empty text writes nothing.
    void ShowStatus(std::string_view text) override;
    void RequestTerminate() override { FTerminateRequested = true; }
    bool TerminateRequested() const { return FTerminateRequested; }
    // The text of the last error shown, as the workflow wrote it.
    const std::string& LastError() const { return FLastError; }
    const std::string& LastWarning() const { return FLastWarning; }

private:
    void Line(std::string_view text);
    // A line of the pattern ("Fehler: %1") with the text put in.
    void Message(std::string_view pattern, std::string_view text);

    std::ostream& FErr;
    bool FRewrite;
    bool FTerminateRequested = false;
    bool FOpenLine = false; // a rewritten progress line waits for its end
    std::string FLastError;
    std::string FLastWarning;
};

} // namespace zelmaro
