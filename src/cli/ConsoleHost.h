#pragma once

#include "workflow/WorkflowHost.h"

#include <atomic>
#include <ostream>
#include <utility>
#include <vector>

namespace zelmaro {

// The workflow's surroundings on a console: messages and progress go to the
// error stream, one line each whatever a name in them holds (ConsoleText);
// the fields are plain values, the cancel request is a flag that a signal
// handler may set. An interrupt cancels the whole run, so a new progress
// window does not clear it.
class TConsoleHost final : public TWorkflowHost {
public:
    // rewrite: the file line is rewritten in place (a terminal).
    TConsoleHost(std::ostream& err, bool rewrite, std::atomic<bool>& cancel)
        : FErr(err), FRewrite(rewrite), FCancel(cancel)
    {
    }
    void ShowError(std::string_view message, std::string_view caption) override;
    void ShowWarning(std::string_view message, std::string_view caption) override;
    void ShowInfo(std::string_view message, std::string_view caption) override;
    // One line per image.
    void ShowWriteFailures(const std::vector<TWriteFailure>& failures) override;

    std::unique_ptr<TProgressView> CreateProgress() override;
    bool CancelRequested() const override { return FCancel.load(); }
    void ProcessPendingEvents() override {}
    TCursorKind Cursor() const override { return FCursor; }
    void SetCursor(TCursorKind cursor) override { FCursor = cursor; }

    std::string DirectoryText() const override { return FDirectory; }
    void SetDirectoryText(const std::string& text) override { FDirectory = text; }
    // The fields are the workflow's values; the console shows them in its output.
    void ShowOffset(int) override {}
    void SetReadFileEnabled(bool) override {}
    // A line on the error stream; an empty text writes nothing.
    void ShowStatus(std::string_view text) override;
    void RequestTerminate() override { FTerminateRequested = true; }
    bool TerminateRequested() const { return FTerminateRequested; }
    // The text of the last error shown, as the workflow wrote it.
    const std::string& LastError() const { return FLastError; }
    const std::string& LastWarning() const { return FLastWarning; }

private:
    void Line(std::string_view text);
    void Message(std::string_view kind, std::string_view text);

    std::ostream& FErr;
    bool FRewrite;
    std::atomic<bool>& FCancel;
    TCursorKind FCursor = TCursorKind::crDefault;
    std::string FDirectory;
    bool FTerminateRequested = false;
    bool FOpenLine = false; // a rewritten progress line waits for its end
    std::string FLastError;
    std::string FLastWarning;
};

// The table as a list of rows.
class TConsoleTable final : public TImageTable {
public:
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void Clear() override { FRows.clear(); }
    void AppendRow(const TMatchItem* item, bool checked) override
    {
        FRows.emplace_back(item, checked);
    }
    int RowCount() const override { return static_cast<int>(FRows.size()); }
    bool IsChecked(int row) const override
    {
        return FRows.at(static_cast<std::size_t>(row)).second;
    }
    const TMatchItem* RowItem(int row) const override
    {
        return FRows.at(static_cast<std::size_t>(row)).first;
    }
    void SetWriteEnabled(bool) override {}

private:
    std::vector<std::pair<const TMatchItem*, bool>> FRows;
};

} // namespace zelmaro
