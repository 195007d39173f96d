#pragma once

#include "workflow/WorkflowHost.h"

#include <memory>

namespace zelmaro {

// A long operation's progress window and busy cursor. Making it creates the
// window (which clears the cancel request) and shows the hourglass; leaving
// it, also by an exception, frees the window, forgets it as the current one
// and shows the normal arrow.
class TOperationScope {
public:
    TOperationScope(TWorkflowHost& host, TProgressView*& current)
        : FHost(host), FCurrent(current), FWindow(host.CreateProgress())
    {
        FCurrent = FWindow.get();
        FHost.SetCursor(TCursorKind::crHourGlass);
    }
    ~TOperationScope()
    {
        FCurrent = nullptr;
        FWindow.reset();
        FHost.SetCursor(TCursorKind::crDefault);
    }
    TOperationScope(const TOperationScope&) = delete;
    TOperationScope& operator=(const TOperationScope&) = delete;

    // The window; the host may give none.
    TProgressView* Window() const { return FWindow.get(); }

private:
    TWorkflowHost& FHost;
    TProgressView*& FCurrent;
    std::unique_ptr<TProgressView> FWindow;
};

} // namespace zelmaro
