#pragma once

#include "support/MessageBoxes.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The progress window of one long operation. Destroying it closes it.
class TProgressView {
public:
    virtual ~TProgressView() = default;

    // Caption of the first label ("Lese Verzeichnis:" until set).
    virtual void SetFirstCaption(std::string_view caption) = 0;
    // The path line under the first label.
    virtual void SetDirectory(std::string_view path) = 0;
    // Makes the "Gefundene Dateien:" line visible with the count and repaints it.
    virtual void ShowFoundCount(int count) = 0;
    // Makes the third label and the file line visible and repaints them.
    virtual void ShowFileLine() = 0;
    // Caption of the third label ("Lese Daten von Datei:" until set).
    virtual void SetThirdCaption(std::string_view caption) = 0;
    // The file line; repainted at once.
    virtual void SetFileName(std::string_view name) = 0;
    // Shows the window (not modal, on top) and paints it at once.
    virtual void ShowNow() = 0;
};

// A checked image that did not take its logged exposure time, and why.
struct TWriteFailure {
    std::string FileName;
    std::string Reason;

    friend bool operator==(const TWriteFailure&, const TWriteFailure&) = default;
};

// What only a user interface has, and the workflow needs while a command
// runs: progress, messages, the status line, the user's cancel, pending
// events and the end of the program. The workflow's state is its own; a
// window shows it as a TWorkflowObserver.
class TWorkflowHost : public MessageBoxes {
public:
    // With a cancel flag of its own.
    TWorkflowHost() = default;
    // With a flag set from outside (a signal handler may set it).
    explicit TWorkflowHost(std::atomic<bool>& cancel) : FCancel(&cancel) {}
    TWorkflowHost(const TWorkflowHost&) = delete;
    TWorkflowHost& operator=(const TWorkflowHost&) = delete;

    // A new progress window.
    virtual std::unique_ptr<TProgressView> CreateProgress() = 0;

    // Whether the user asked the running command to stop. Asking is safe from
    // any thread; the workflow looks between two files.
    bool CancelRequested() const { return FCancel->load(); }
    void RequestCancel() { FCancel->store(true); }

    // Lets the user interface handle pending events (paint, the cancel
    // button); a console has none.
    virtual void ProcessPendingEvents() {}

    // The status line; an empty text clears it. Without one, nothing is shown.
    virtual void ShowStatus(std::string_view) {}

    // Asks the application to end once the running command returns.
    virtual void RequestTerminate() = 0;

    // Tells the user which images of a write-back did not take their value.
    virtual void ShowWriteFailures(const std::vector<TWriteFailure>& failures) = 0;

protected:
    // A window clears it for each new command; a console keeps an interrupt
    // for the whole run.
    void ClearCancel() { FCancel->store(false); }

private:
    std::atomic<bool> FOwnCancel = false;
    std::atomic<bool>* FCancel = &FOwnCancel;
};

// Who shows the workflow's state: told before and after the rows are
// replaced (nothing may read the old rows in between), of changed check
// marks, and of the values the workflow set itself. Notifications must not throw.
class TWorkflowObserver {
public:
    virtual ~TWorkflowObserver() = default;

    virtual void RowsReplacing() {}
    virtual void RowsReplaced() {}
    // Rows first..last (inclusive) have new check marks.
    virtual void ChecksChanged(std::size_t /*first*/, std::size_t /*last*/) {}
    // The offset or the tolerance was set to a value the user did not type.
    virtual void OffsetSet(int /*seconds*/) {}
    virtual void ToleranceSet(int /*seconds*/) {}
};

} // namespace zelmaro
