#include "app/GuiWorkflowHost.h"

#include "app/AppCursor.h"
#include "app/AppShell.h"
#include "app/Info.h"
#include "workflow/WriteBack.h"

#include <QCoreApplication>

namespace zelmaro {

namespace {

// The normal pointer over a message box, the command's pointer after it.
class TArrowWhileAsking {
public:
    TArrowWhileAsking() : FShown(AppCursor()) { SetAppCursor(TCursorKind::crDefault); }
    ~TArrowWhileAsking() { SetAppCursor(FShown); }
    TArrowWhileAsking(const TArrowWhileAsking&) = delete;
    TArrowWhileAsking& operator=(const TArrowWhileAsking&) = delete;

private:
    TCursorKind FShown;
};

} // namespace

TGuiWorkflowHost::TGuiWorkflowHost(QWidget* window, MessageBoxes* boxes)
    : FWindow(window), FQtBoxes(window), FMessages(boxes ? *boxes : FQtBoxes)
{
}

std::unique_ptr<TProgressView> TGuiWorkflowHost::CreateProgress()
{
    ClearCancel();
    auto progress = std::make_unique<TfrmInfo>(FWindow.data());
    QObject::connect(progress.get(), &TfrmInfo::CancelClicked, progress.get(),
                     [this] { RequestCancel(); });
    FProgress = progress.get();
    return progress;
}

void TGuiWorkflowHost::ProcessPendingEvents()
{
    zelmaro::ProcessPendingEvents();
}

void TGuiWorkflowHost::ShowError(std::string_view message, std::string_view caption)
{
    const TArrowWhileAsking arrow;
    FMessages.ShowError(message, caption);
}

void TGuiWorkflowHost::ShowWarning(std::string_view message, std::string_view caption)
{
    const TArrowWhileAsking arrow;
    FMessages.ShowWarning(message, caption);
}

void TGuiWorkflowHost::ShowInfo(std::string_view message, std::string_view caption)
{
    const TArrowWhileAsking arrow;
    FMessages.ShowInfo(message, caption);
}

bool TGuiWorkflowHost::AskYesNo(std::string_view question, std::string_view caption)
{
    const TArrowWhileAsking arrow;
    return FMessages.AskYesNo(question, caption);
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
