#pragma once

#include "common/RecordingMessageBoxes.h"
#include "workflow/Records.h"
#include "workflow/WorkflowHost.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zelmaro::test {

// What the fake host saw, in order, as short texts ("error: ...",
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

// A window that records what the workflow asks of it and shows of its
// state. Its offset and tolerance fields report the user's changes through
// OnOffsetEdited and OnToleranceEdited, as the real spin boxes do.
class FakeHost final : public RecordingBoxesOf<TWorkflowHost>, public TWorkflowObserver {
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
    std::vector<TWriteFailure> WriteFailures; // as the workflow told them
    int PendingEventCalls = 0;
    int TerminateRequests = 0;
    std::string Status;
    // Row replacements begun and ended, and check-mark changes.
    int ReplacementsBegun = 0;
    int ReplacementsEnded = 0;
    int CheckChanges = 0;

    // The cancel button's flag as a test wants it at this moment.
    void SetCancel(bool requested) { requested ? RequestCancel() : ClearCancel(); }

    // The user types into the offset field: no clamping while typing.
    void TypeOffset(int seconds) { Edit(FOffset, seconds, OnOffsetEdited); }
    // The user sets the tolerance box, which keeps to its range.
    void SetToleranceValue(int seconds)
    {
        Edit(FTolerance, std::clamp(seconds, kMinTolerance, kMaxTolerance), OnToleranceEdited);
    }

    std::unique_ptr<TProgressView> CreateProgress() override
    {
        ClearCancel();
        return std::make_unique<FakeProgress>(Log);
    }
    void ProcessPendingEvents() override
    {
        ++PendingEventCalls;
        if (OnPendingEvents)
            OnPendingEvents();
    }

    // The values the fields show.
    int OffsetValue() const { return FOffset; }
    int ToleranceValue() const { return FTolerance; }
    void OffsetSet(int seconds) override
    {
        Log.push_back("offset: " + std::to_string(seconds));
        FOffset = seconds;
    }
    void ToleranceSet(int seconds) override { FTolerance = seconds; }

    void RowsReplacing() override
    {
        if (ReplacementsBegun != ReplacementsEnded)
            throw std::logic_error("rows replaced within a replacement");
        ++ReplacementsBegun;
    }
    void RowsReplaced() override { ++ReplacementsEnded; }
    void ChecksChanged(std::size_t, std::size_t) override { ++CheckChanges; }

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

    int FOffset = 0;
    int FTolerance = 1;
};

} // namespace zelmaro::test
