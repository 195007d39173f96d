#pragma once

#include "common/RecordingMessageBoxes.h"
#include "workflow/Records.h"
#include "workflow/WorkflowHost.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zelmaro::test {

// What the fake host saw, in order, as short texts ("error: ...", "cursor: busy",
// "progress: file a.jpg", "offset: 300", "terminate").
using TEventLog = std::vector<std::string>;

// A progress window that writes its calls into the host's log.
class FakeProgress final : public TProgressView {
public:
    explicit FakeProgress(TEventLog& log) : FLog(log) { FLog.push_back("progress: open"); }
    ~FakeProgress() override { FLog.push_back("progress: close"); }

    void SetFirstCaption(std::string_view caption) override { Add("first caption", caption); }
    void SetDirectory(std::string_view path) override { Add("directory", path); }
    void ShowFoundCount(int count) override { Add("found", std::to_string(count)); }
    void ShowFileLine() override { FLog.push_back("progress: file line"); }
    void SetThirdCaption(std::string_view caption) override { Add("third caption", caption); }
    void SetFileName(std::string_view name) override { Add("file", name); }
    void ShowNow() override { FLog.push_back("progress: show"); }

private:
    void Add(std::string_view what, std::string_view text)
    {
        FLog.push_back("progress: " + std::string(what) + " " + std::string(text));
    }
    TEventLog& FLog;
};

// A window that records what the workflow asks of it. Its offset and
// tolerance fields report the user's changes through OnOffsetEdited and
// OnToleranceEdited, as the real spin boxes do.
class FakeHost final : public RecordingBoxesOf<TWorkflowHost> {
public:
    FakeHost()
    {
        OnMessage = [this](const FakeMessage& m) { Log.push_back(m.Line()); };
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    std::function<void(int)> OnOffsetEdited;
    std::function<void(int)> OnToleranceEdited;
    // Runs at each ProcessPendingEvents; a test may request the cancel here.
    std::function<void()> OnPendingEvents;

    TEventLog Log;
    std::vector<TCursorKind> CursorChanges;
    std::vector<TWriteFailure> WriteFailures; // as the workflow told them
    int PendingEventCalls = 0;
    int TerminateRequests = 0;
    bool Cancel = false;
    bool ReadFileEnabled = false;
    std::string Status;

    // The user types into the offset field: no clamping while typing.
    void TypeOffset(int seconds) { Edit(FOffset, seconds, OnOffsetEdited); }
    // The user sets the tolerance box, which keeps to its range.
    void SetToleranceValue(int seconds)
    {
        Edit(FTolerance, std::clamp(seconds, kMinTolerance, kMaxTolerance), OnToleranceEdited);
    }

    std::unique_ptr<TProgressView> CreateProgress() override
    {
        Cancel = false;
        return std::make_unique<FakeProgress>(Log);
    }
    bool CancelRequested() const override { return Cancel; }
    void ProcessPendingEvents() override
    {
        ++PendingEventCalls;
        if (OnPendingEvents)
            OnPendingEvents();
    }

    TCursorKind Cursor() const override { return FCursor; }
    void SetCursor(TCursorKind cursor) override
    {
        FCursor = cursor;
        CursorChanges.push_back(cursor);
        Log.push_back(cursor == TCursorKind::crHourGlass ? "cursor: busy" : "cursor: normal");
    }

    std::string DirectoryText() const override { return FDirectory; }
    void SetDirectoryText(const std::string& text) override
    {
        FDirectory = text;
        Log.push_back("directory: " + text);
    }

    // The values the fields show.
    int OffsetValue() const { return FOffset; }
    int ToleranceValue() const { return FTolerance; }
    void ShowOffset(int seconds) override
    {
        Log.push_back("offset: " + std::to_string(seconds));
        FOffset = seconds;
    }
    void ShowTolerance(int seconds) override { FTolerance = seconds; }

    void SetReadFileEnabled(bool enabled) override { ReadFileEnabled = enabled; }
    void ShowStatus(std::string_view text) override { Status = text; }

    void RequestTerminate() override
    {
        ++TerminateRequests;
        Log.push_back("terminate");
    }

    void ShowWriteFailures(const std::vector<TWriteFailure>& failures) override
    {
        Log.push_back("write failures: " + std::to_string(failures.size()));
        WriteFailures.insert(WriteFailures.end(), failures.begin(), failures.end());
    }

    std::vector<std::string> MessageTexts(const std::string& kind) const
    {
        return test::MessageTexts(Messages, kind);
    }

private:
    static void Edit(int& field, int value, const std::function<void(int)>& report)
    {
        if (std::exchange(field, value) != value && report)
            report(value);
    }

    TCursorKind FCursor = TCursorKind::crDefault;
    std::string FDirectory;
    int FOffset = 0;
    int FTolerance = 1;
};

} // namespace zelmaro::test
