#include "workflow/ExifToolSession.h"

#include "runner/CommandLine.h"
#include "runner/OutputLineSplitter.h"

#include <algorithm>
#include <chrono>

namespace zelmaro {

namespace {

// How long a session may take to end on its own before it is killed.
constexpr int kEndWaitMs = 2000;
// How long output is waited for before the error stream is emptied again,
// so that the tool never blocks on a full error pipe.
constexpr int kErrorDrainMs = 200;

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

TExifToolSession::TExifToolSession(std::string program, int answerTimeoutMs)
    : FProgram(std::move(program)), FTimeoutMs(answerTimeoutMs)
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

void TExifToolSession::Run(const std::vector<std::string>& arguments,
                           std::vector<std::string>& outputLines)
{
    std::vector<std::string> ignored;
    RunReportingErrors(arguments, outputLines, ignored);
}

void TExifToolSession::RunReportingErrors(const std::vector<std::string>& arguments,
                                          std::vector<std::string>& outputLines,
                                          std::vector<std::string>& errorLines)
{
    bool fits = true;
    for (const std::string& argument : arguments)
        fits = fits && FitsArgumentLine(argument);
    if (fits && !FBroken && Call(arguments, outputLines, errorLines))
        return;
    TConsoleMetadataTool(FProgram).Run(arguments, outputLines);
}

void TExifToolSession::DrainErrors()
{
    char buffer[4096];
    while (const std::size_t read = FChild->ReadErrorAvailable(buffer, sizeof buffer))
        FErrors.append(buffer, read);
}

bool TExifToolSession::Start()
{
    TProcessCommand command;
    command.Program = FProgram;
    command.Arguments = {FProgram, "-stay_open", "True", "-@", "-"};
    command.CommandLine = QuoteArgument(FProgram) + " -stay_open True -@ -";
    int error = 0;
    FChild = StartPipedChildProcess(command, error);
    FHandle = FChild ? FChild->Handle() : 0;
    return FChild != nullptr;
}

void TExifToolSession::StartNow()
{
    if (!FChild && !FBroken && !Start())
        Abandon();
}

bool TExifToolSession::Call(const std::vector<std::string>& arguments,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines)
{
    if (!FChild && !Start()) {
        Abandon();
        return false;
    }
    const std::string number = std::to_string(++FCallNumber);
    std::string request;
    for (const std::string& argument : arguments)
        request += argument + '\n';
    request += "-execute" + number + '\n';
    if (!FChild->WriteInput(request)) {
        Abandon();
        return false;
    }

    const std::string marker = "{ready" + number + "}";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FTimeoutMs);
    std::size_t at;
    while ((at = FindReadyLine(FPending, marker)) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            Abandon();
            return false;
        }
        DrainErrors();
        char buffer[4096];
        const auto read = FChild->ReadOutputFor(
            buffer, sizeof buffer,
            static_cast<int>(std::min<long long>(left.count(), kErrorDrainMs)));
        if (read && *read == 0) { // the tool has gone
            Abandon();
            return false;
        }
        if (read)
            FPending.append(buffer, *read);
    }
    // The tool writes its errors before it reports the call's end.
    DrainErrors();
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
    return true;
}

void TExifToolSession::Abandon()
{
    FBroken = true;
    FHandle = 0;
    FChild.reset(); // kills and collects it
    FPending.clear();
    FErrors.clear();
}

void TExifToolSession::End()
{
    if (!FChild)
        return;
    FChild->WriteInput("-stay_open\nFalse\n");
    FChild->CloseInput();
    // Its output must not fill up while it finishes.
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndWaitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        DrainErrors();
        const auto read = FChild->ReadOutputFor(
            buffer, sizeof buffer,
            static_cast<int>(std::min<long long>(left.count(), kErrorDrainMs)));
        if (read && *read == 0)
            break;
    }
    FErrors.clear();
    FChild->WaitForExit(kEndWaitMs);
    FHandle = 0;
    FChild.reset(); // kills it if it still runs, and collects it
}

} // namespace zelmaro
