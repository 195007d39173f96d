#pragma once

#include "app/QtMessageBoxes.h"
#include "workflow/WorkflowHost.h"

#include <QPointer>
#include <QWidget>

namespace zelmaro {

// The parts of the workflow's surroundings that the application provides:
// the progress window, the cancel request, pending events, the pointer,
// message boxes and the end of the program. The main window adds its fields.
class TGuiWorkflowHost : public TWorkflowHost {
public:
    // window: the main window; progress windows are centred over it and
    // message boxes are modal to it. boxes: shows the messages instead of
    // Qt's boxes (tests record them); must outlive the host.
    explicit TGuiWorkflowHost(QWidget* window, MessageBoxes* boxes = nullptr);

    std::unique_ptr<TProgressView> CreateProgress() override;
    bool CancelRequested() const override;
    void ProcessPendingEvents() override;
    TCursorKind Cursor() const override;
    void SetCursor(TCursorKind cursor) override;

    void ShowError(std::string_view message, std::string_view caption) override;
    void ShowWarning(std::string_view message, std::string_view caption) override;
    void ShowInfo(std::string_view message, std::string_view caption) override;
    // One warning that names the images.
    void ShowWriteFailures(const std::vector<TWriteFailure>& failures) override;

    // Stops the event loop once the running handler returns. The main window's
    // close handling does not run, so no settings are stored.
    void RequestTerminate() override;
    // Whether an end was requested; the program's entry skips the event loop
    // when this happened while the main window was being made.
    bool TerminateRequested() const { return FTerminateRequested; }

private:
    QPointer<QWidget> FWindow;
    TQtMessageBoxes FQtBoxes;
    MessageBoxes& FMessages;
    bool FTerminateRequested = false;
};

} // namespace zelmaro
