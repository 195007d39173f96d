#include "workflow/MetadataTool.h"

#include "platform/ChildProcess.h"
#include "runner/CommandLine.h"
#include "runner/ConsoleApp.h"
#include "support/Paths.h"
#include "support/SystemInfo.h"

namespace zelmaro {

void TConsoleMetadataTool::Run(const std::vector<std::string>& arguments,
                               std::vector<std::string>& outputLines)
{
    std::string parameters;
    for (const std::string& argument : arguments) {
        if (!parameters.empty())
            parameters += ' ';
        parameters += QuoteArgument(argument);
    }
    RunConsoleApp(FProgram, parameters, &outputLines);
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
    return std::string("\"") + ExifToolFileName() + "\" ist nicht vorhanden!";
}

} // namespace zelmaro
