#pragma once

#include "workflow/WorkflowHost.h"

namespace zelmaro {

// Shows a cursor while it lives and then sets the cursor that was shown before
// it, or a given one, also when an exception leaves the scope.
class TCursorGuard {
public:
    explicit TCursorGuard(TWorkflowHost& host, TCursorKind shown = TCursorKind::crHourGlass)
        : FHost(host), FRestore(host.Cursor())
    {
        FHost.SetCursor(shown);
    }
    TCursorGuard(TWorkflowHost& host, TCursorKind shown, TCursorKind restore)
        : FHost(host), FRestore(restore)
    {
        FHost.SetCursor(shown);
    }
    ~TCursorGuard() { FHost.SetCursor(FRestore); }
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

private:
    TWorkflowHost& FHost;
    TCursorKind FRestore;
};

// Suspends the table's redrawing while it lives.
class TTableUpdate {
public:
    explicit TTableUpdate(TImageTable& table) : FTable(table) { FTable.BeginUpdate(); }
    ~TTableUpdate() { FTable.EndUpdate(); }
    TTableUpdate(const TTableUpdate&) = delete;
    TTableUpdate& operator=(const TTableUpdate&) = delete;

private:
    TImageTable& FTable;
};

} // namespace zelmaro
