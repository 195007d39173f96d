#pragma once

#include "app/Info.h"
#include "app/QtMessageBoxes.h"
#include "workflow/WorkflowHost.h"

#include <QPointer>
#include <QWidget>

namespace zelmaro {

// The workflow's surroundings that the application provides: the progress
// window with its cancel button, pending events, message boxes and the end
// of the program.
class TGuiWorkflowHost : public TWorkflowHost {
public:
    // window: the main window; progress windows are centred over it and
    // message boxes are modal to it. boxes: shows the messages instead of
    // Qt's boxes (tests record them); must outlive the host.
    explicit TGuiWorkflowHost(QWidget* window, MessageBoxes* boxes = nullptr);

    // A new progress window; making it clears the cancel request.
    std::unique_ptr<TProgressView> CreateProgress() override;
    void ProcessPendingEvents() override;

    // Each with the normal pointer while the box is up.
    void ShowError(std::string_view message, std::string_view caption) override;
    void ShowWarning(std::string_view message, std::string_view caption) override;
    void ShowInfo(std::string_view message, std::string_view caption) override;
    bool AskYesNo(std::string_view question, std::string_view caption) override;
    // One warning that names the images.
    void ShowWriteFailures(const std::vector<TWriteFailure>& failures) override;

    // Stops the event loop once the running handler returns. The main window's
    // close handling does not run, so no settings are stored.
    void RequestTerminate() override;
    // Whether an end was requested; the program's entry skips the event loop
    // when this happened while the main window was being made.
    bool TerminateRequested() const { return FTerminateRequested; }

    // The progress window of the running command; null when none runs.
    TfrmInfo* Progress() const { return FProgress.data(); }

private:
    QPointer<QWidget> FWindow;
    TQtMessageBoxes FQtBoxes;
    MessageBoxes& FMessages;
    QPointer<TfrmInfo> FProgress;
    bool FTerminateRequested = false;
};

} // namespace zelmaro
