#pragma once

#include "support/MessageBoxes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

struct TMatchItem;

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

enum class TCursorKind { crDefault, crHourGlass };

// A checked image that did not take its logged exposure time, and why.
struct TWriteFailure {
    std::string FileName;
    std::string Reason;

    friend bool operator==(const TWriteFailure&, const TWriteFailure&) = default;
};

// Everything the workflow needs from the window around it.
class TWorkflowHost : public MessageBoxes {
public:
    // A new progress window; making it clears the cancel request.
    virtual std::unique_ptr<TProgressView> CreateProgress() = 0;
    // Whether the user asked the current long operation to stop.
    virtual bool CancelRequested() const = 0;
    // Lets the user interface handle pending events (paint, the cancel button).
    virtual void ProcessPendingEvents() = 0;

    virtual TCursorKind Cursor() const = 0;
    virtual void SetCursor(TCursorKind cursor) = 0;

    // The directory field.
    virtual std::string DirectoryText() const = 0;
    virtual void SetDirectoryText(const std::string& text) = 0;

    // Shows the workflow's offset in the offset field (the workflow keeps the
    // value and its range; the host reports the user's changes to it).
    virtual void ShowOffset(int seconds) = 0;
    // Shows the workflow's tolerance; a host without the field shows nothing.
    virtual void ShowTolerance(int) {}

    // The status line; an empty text clears it. Without one, nothing is shown.
    virtual void ShowStatus(std::string_view) {}

    // The log-file button, set after each picture reading.
    virtual void SetReadFileEnabled(bool enabled) = 0;

    // Asks the application to end once the running handler returns.
    virtual void RequestTerminate() = 0;

    // Tells the user which images of a write-back did not take their value.
    virtual void ShowWriteFailures(const std::vector<TWriteFailure>& failures) = 0;
};

// The table of pairs as the workflow fills and reads it.
class TImageTable {
public:
    virtual ~TImageTable() = default;

    // Suspends redrawing until EndUpdate; brackets nest.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // Removes every row; frees nothing.
    virtual void Clear() = 0;
    // Appends a row with a check box that refers to item.
    virtual void AppendRow(const TMatchItem* item, bool checked) = 0;
    virtual int RowCount() const = 0;
    virtual bool IsChecked(int row) const = 0;
    virtual const TMatchItem* RowItem(int row) const = 0;
    // The write button ("Werte in Bilder eintragen").
    virtual void SetWriteEnabled(bool enabled) = 0;
};

} // namespace zelmaro
