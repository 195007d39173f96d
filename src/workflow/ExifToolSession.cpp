#include "workflow/ExifToolSession.h"

#include "runner/CommandLine.h"
#include "runner/OutputLineSplitter.h"
#include "workflow/ToolWait.h"

#include <algorithm>
#include <chrono>

namespace zelmaro {

namespace {

// How long a session may take to end on its own before it is killed.
constexpr int kEndWaitMs = 2000;

// Where a line "{ready<number>}" starts in output, or npos.
std::size_t FindReadyLine(const std::string& output, const std::string& marker)
{
    std::size_t at = 0;
    while ((at = output.find(marker, at)) != std::string::npos) {
        const bool lineStart = at == 0 || output[at - 1] == '\n' || output[at - 1] == '\r';
        const std::size_t end = at + marker.size();
        const bool lineEnd = end < output.size() && (output[end] == '\n' || output[end] == '\r');
        if (lineStart && lineEnd)
            return at;
        ++at;
    }
    return std::string::npos;
}

} // namespace

TExifToolSession::TExifToolSession(std::string program, int readBoundMs)
    : FProgram(std::move(program)), FReadBoundMs(readBoundMs)
{
}

TExifToolSession::~TExifToolSession()
{
    End();
}

bool TExifToolSession::FitsArgumentLine(const std::string& argument)
{
    // The tool drops blank lines, comment lines and blanks around a line.
    if (argument.empty() || argument.front() == '#')
        return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(argument.front()) || blank(argument.back()))
        return false;
    return argument.find_first_of("\r\n") == std::string::npos;
}

void TExifToolSession::Call(const std::vector<std::string>& arguments, bool writing,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines)
{
    const bool fits = std::all_of(arguments.begin(), arguments.end(), FitsArgumentLine);
    // A session that broke before the call could begin is replaced at once.
    while (fits && !FBroken) {
        if (CallOnce(arguments, writing, outputLines, errorLines) == TCallEnd::ceAnswered)
            return;
    }
    TConsoleMetadataTool single(FProgram, FReadBoundMs);
    single.SetWaitHook(WaitHook());
    if (writing)
        single.RunWrite(arguments, outputLines, errorLines);
    else
        single.RunReportingErrors(arguments, outputLines, errorLines);
}

bool TExifToolSession::Start()
{
    TProcessCommand command;
    command.Program = FProgram;
    command.Arguments = {FProgram, "-stay_open", "True", "-@", "-"};
    command.CommandLine = QuoteArgument(FProgram) + " -stay_open True -@ -";
    int error = 0;
    ++FStarted;
    FChild = StartPipedChildProcess(command, error);
    FHandle = FChild ? FChild->Handle() : 0;
    return FChild != nullptr;
}

void TExifToolSession::StartNow()
{
    if (!FChild && !FBroken && !Start())
        Abandon(true);
}

TExifToolSession::TCallEnd TExifToolSession::CallOnce(const std::vector<std::string>& arguments,
                                                      bool writing,
                                                      std::vector<std::string>& outputLines,
                                                      std::vector<std::string>& errorLines)
{
    if (!FChild && !Start()) {
        Abandon(true);
        return TCallEnd::ceBroken;
    }
    const std::string number = std::to_string(++FCallNumber);
    std::string request;
    for (const std::string& argument : arguments)
        request += argument + '\n';
    request += "-execute" + number + '\n';
    // Without its "-execute" line the tool runs nothing of the call.
    if (!FChild->WriteInput(request)) {
        Abandon(true);
        return TCallEnd::ceBroken;
    }

    const std::string marker = "{ready" + number + "}";
    std::size_t at = std::string::npos;
    const TAwaitEnd end = AwaitTool(
        *FChild, FPending, FErrors,
        [&](const std::string& pending) {
            return (at = FindReadyLine(pending, marker)) != std::string::npos;
        },
        writing, FReadBoundMs, [this](const TToolWait& wait) { return KeepWaiting(wait); });
    switch (end) {
    case TAwaitEnd::aeTimedOut:
        Abandon(true);
        throw ReadTimedOut(FReadBoundMs);
    case TAwaitEnd::aeStopped:
        Abandon(false);
        throw ReadStopped();
    case TAwaitEnd::aeClosed: {
        // Killed from outside, or it failed: a read meets a fresh session,
        // a write may have been half done and is only reported.
        const std::int32_t exitCode = FChild->WaitForExit(kEndWaitMs);
        Abandon(true);
        if (writing)
            throw EndedWhileWriting(exitCode);
        return TCallEnd::ceBroken;
    }
    case TAwaitEnd::aeAnswered:
        break;
    }
    FFailures = 0;
    TOutputLineSplitter errorSplitter(&errorLines, {}, FChild->Handle());
    errorSplitter.Feed(FErrors);
    errorSplitter.Finish();
    FErrors.clear();

    // The bytes before the marker are what a single run would have written.
    std::vector<std::string> lines;
    TOutputLineSplitter splitter(&lines, {}, FChild->Handle());
    splitter.Feed(std::string_view(FPending).substr(0, at));
    splitter.Finish();
    std::size_t rest = at + marker.size();
    if (rest < FPending.size() && FPending[rest] == '\r')
        ++rest;
    if (rest < FPending.size() && FPending[rest] == '\n')
        ++rest;
    FPending.erase(0, rest);
    outputLines.insert(outputLines.end(), lines.begin(), lines.end());
    return TCallEnd::ceAnswered;
}

void TExifToolSession::Abandon(bool failure)
{
    FHandle = 0;
    FChild.reset(); // kills and collects it
    FPending.clear();
    FErrors.clear();
    if (failure && ++FFailures >= kSessionStarts)
        FBroken = true;
}

void TExifToolSession::End()
{
    if (!FChild)
        return;
    FChild->WriteInput("-stay_open\nFalse\n");
    FChild->CloseInput();
    // Its output must not fill up while it finishes.
    std::string output;
    AwaitTool(
        *FChild, output, FErrors, [](const std::string&) { return false; }, false, kEndWaitMs,
        [](const TToolWait&) { return true; });
    FErrors.clear();
    FChild->WaitForExit(kEndWaitMs);
    FHandle = 0;
    FChild.reset(); // kills it if it still runs, and collects it
}

} // namespace zelmaro
