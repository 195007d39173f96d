#include "workflow/MetadataTool.h"

#include "platform/ChildProcess.h"
#include "runner/CommandLine.h"
#include "runner/ConsoleApp.h"
#include "runner/OutputLineSplitter.h"
#include "runner/RunnerErrors.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "support/SystemInfo.h"
#include "workflow/ToolWait.h"

namespace zelmaro {

void TConsoleMetadataTool::Call(const std::vector<std::string>& arguments, bool writing,
                                std::vector<std::string>& outputLines,
                                std::vector<std::string>& errorLines)
{
    // The runner's checks, with a deadline of our own.
    const TLaunchPlan plan = ChooseLaunch(FProgram, SystemRunnerRules(), SystemLaunchProbe());
    const TProcessCommand command = MakeProcessCommand(plan, arguments);
    int error = 0;
    const std::unique_ptr<TPipedChildProcess> child = StartPipedChildProcess(command, error);
    if (!child)
        throw EOSError(error, SystemErrorMessage(error));
    child->CloseInput();
    std::string output;
    std::string errors;
    const TAwaitEnd end = AwaitTool(
        *child, output, errors, [](const std::string&) { return false; }, writing, FReadBoundMs,
        [this](const TToolWait& wait) { return KeepWaiting(wait); });
    if (end == TAwaitEnd::aeTimedOut)
        throw ReadTimedOut(FReadBoundMs); // the child is killed with the object
    if (end == TAwaitEnd::aeStopped)
        throw ReadStopped();
    const std::int32_t exitCode = child->WaitForExit(kExitWaitMs);
    if (writing && exitCode > 128 && exitCode != kStillActive)
        throw EndedWhileWriting(exitCode);
    TOutputLineSplitter splitter(&outputLines, {}, child->Handle());
    splitter.Feed(output);
    splitter.Finish();
    TOutputLineSplitter errorSplitter(&errorLines, {}, child->Handle());
    errorSplitter.Feed(errors);
    errorSplitter.Finish();
}

const char* ExifToolFileName()
{
#ifdef _WIN32
    return "exiftool.exe";
#else
    return "exiftool";
#endif
}

namespace {

std::optional<std::string> ToolInDirectory(const std::string& directory)
{
    if (directory.empty())
        return std::nullopt;
    std::string local = JoinPath(directory, ExifToolFileName());
    if (!FileExists(local))
        return std::nullopt;
    return local;
}

} // namespace

std::optional<std::string> FindExifTool(const std::string& programDir,
                                        const std::string& searchPath)
{
    if (auto local = ToolInDirectory(programDir))
        return local;
#ifdef _WIN32
    (void)searchPath;
    return std::nullopt;
#else
    return SearchProgramOn(ExifToolFileName(), searchPath);
#endif
}

std::optional<std::string> FindExifTool()
{
    const std::string module = GetModuleName();
    std::string directory;
    if (const auto slash = module.find_last_of(kPathDelimiter); slash != std::string::npos)
        directory = module.substr(0, slash);
    if (auto local = ToolInDirectory(directory))
        return local;
#ifdef _WIN32
    return std::nullopt;
#else
    return SearchProgram(ExifToolFileName());
#endif
}

std::string MissingExifToolMessage()
{
    return Fill(Tr("\"%1\" ist nicht vorhanden!"), ExifToolFileName());
}

} // namespace zelmaro
