#include "workflow/ToolWait.h"

#include "support/Messages.h"

#include <algorithm>

namespace zelmaro {

namespace {

// How long output is waited for before the error stream is emptied and the
// caller asked again.
constexpr int kPollMs = 200;

} // namespace

TAwaitEnd AwaitTool(TPipedChildProcess& child, std::string& pending, std::string& errors,
                    const std::function<bool(const std::string&)>& answered, bool writing,
                    int boundMs, const std::function<bool(const TToolWait&)>& keepWaiting)
{
    using namespace std::chrono;
    const auto start = steady_clock::now();
    char buffer[4096];
    const auto drainErrors = [&] {
        while (const std::size_t read = child.ReadErrorAvailable(buffer, sizeof buffer))
            errors.append(buffer, read);
    };
    while (!answered(pending)) {
        const auto waited = duration_cast<milliseconds>(steady_clock::now() - start);
        int slice = kPollMs;
        if (!writing) {
            if (waited.count() >= boundMs)
                return TAwaitEnd::aeTimedOut;
            slice = static_cast<int>(std::min<long long>(slice, boundMs - waited.count()));
        }
        if (waited.count() >= kPollMs && !keepWaiting({waited, writing}) && !writing)
            return TAwaitEnd::aeStopped;
        drainErrors();
        const auto read = child.ReadOutputFor(buffer, sizeof buffer, slice);
        if (read && *read == 0) {
            drainErrors();
            return TAwaitEnd::aeClosed;
        }
        if (read)
            pending.append(buffer, *read);
    }
    // The tool writes its errors before it reports the call's end.
    drainErrors();
    return TAwaitEnd::aeAnswered;
}

EToolCallFailed ReadTimedOut(int boundMs)
{
    return EToolCallFailed(
        EToolCallFailed::TReason::trTimedOut,
        Fill(Tr("exiftool hat in %1 s nicht geantwortet."), (boundMs + 999) / 1000));
}

EToolCallFailed ReadStopped()
{
    return EToolCallFailed(EToolCallFailed::TReason::trStopped, Tr("Abgebrochen."));
}

EToolCallFailed EndedWhileWriting(int exitCode)
{
    const std::string how = exitCode > 128 ? Fill(Tr("durch Signal %1"), exitCode - 128)
                                           : Fill(Tr("mit Code %1"), exitCode);
    return EToolCallFailed(EToolCallFailed::TReason::trEnded,
                           Fill(Tr("exiftool wurde beim Schreiben beendet (%1)."), how));
}

} // namespace zelmaro
