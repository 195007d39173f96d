#include "app/GuiWorkflowHost.h"

#include "app/AppCursor.h"
#include "app/AppShell.h"
#include "app/Info.h"
#include "workflow/Workflow.h"

#include <QCoreApplication>

namespace zelmaro {

TGuiWorkflowHost::TGuiWorkflowHost(QWidget* window, MessageBoxes* boxes)
    : FWindow(window), FQtBoxes(window), FMessages(boxes ? *boxes : FQtBoxes)
{
}

std::unique_ptr<TProgressView> TGuiWorkflowHost::CreateProgress()
{
    return std::make_unique<TfrmInfo>(FWindow.data());
}

bool TGuiWorkflowHost::CancelRequested() const
{
    return zelmaro::CancelRequested;
}

void TGuiWorkflowHost::ProcessPendingEvents()
{
    zelmaro::ProcessPendingEvents();
}

TCursorKind TGuiWorkflowHost::Cursor() const
{
    return AppCursor();
}

void TGuiWorkflowHost::SetCursor(TCursorKind cursor)
{
    SetAppCursor(cursor);
}

void TGuiWorkflowHost::ShowError(std::string_view message, std::string_view caption)
{
    FMessages.ShowError(message, caption);
}

void TGuiWorkflowHost::ShowWarning(std::string_view message, std::string_view caption)
{
    FMessages.ShowWarning(message, caption);
}

void TGuiWorkflowHost::ShowInfo(std::string_view message, std::string_view caption)
{
    FMessages.ShowInfo(message, caption);
}

void TGuiWorkflowHost::ShowWriteFailures(const std::vector<TWriteFailure>& failures)
{
    ShowWarning(WriteFailureMessage(failures), kAppCaption);
}

void TGuiWorkflowHost::RequestTerminate()
{
    FTerminateRequested = true;
    // Ends every running event loop once control returns to it; without a
    // running loop the flag alone tells the program's entry.
    QCoreApplication::exit(0);
}

} // namespace zelmaro
