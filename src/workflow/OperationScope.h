#pragma once

#include "workflow/WorkflowHost.h"

#include <memory>

namespace zelmaro {

// A long operation's progress window. Making it creates the window (a
// window's host clears the cancel request then); leaving it, also by an
// exception, frees the window and forgets it as the current one.
class TOperationScope {
public:
    TOperationScope(TWorkflowHost& host, TProgressView*& current)
        : FCurrent(current), FWindow(host.CreateProgress())
    {
        FCurrent = FWindow.get();
    }
    ~TOperationScope()
    {
        FCurrent = nullptr;
        FWindow.reset();
    }
    TOperationScope(const TOperationScope&) = delete;
    TOperationScope& operator=(const TOperationScope&) = delete;

    // The window; the host may give none.
    TProgressView* Window() const { return FWindow.get(); }

private:
    TProgressView*& FCurrent;
    std::unique_ptr<TProgressView> FWindow;
};

} // namespace zelmaro
