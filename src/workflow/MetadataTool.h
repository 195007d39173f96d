#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelmaro {

// One call of the external metadata tool: its arguments in, its standard
// output lines out. Throws when the tool cannot be started.
class TMetadataTool {
public:
    virtual ~TMetadataTool() = default;
    // Appends the tool's output lines to outputLines; the exit code is not used.
    virtual void Run(const std::vector<std::string>& arguments,
                     std::vector<std::string>& outputLines) = 0;
    // Like Run, and appends the tool's error lines to errorLines where this
    // transport can read them; by default it cannot.
    virtual void RunReportingErrors(const std::vector<std::string>& arguments,
                                    std::vector<std::string>& outputLines,
                                    std::vector<std::string>& errorLines)
    {
        static_cast<void>(errorLines);
        Run(arguments, outputLines);
    }
    // Whether, given several files in one call, the tool heads each file's
    // lines with "======== <path>" as exiftool does, so that one call can
    // read several images.
    virtual bool SeparatesFiles() const { return false; }
};

// Starts the program once per call through the console runner; each argument
// reaches it as one argument whatever blanks or quotes it holds.
class TConsoleMetadataTool final : public TMetadataTool {
public:
    explicit TConsoleMetadataTool(std::string program) : FProgram(std::move(program)) {}
    void Run(const std::vector<std::string>& arguments,
             std::vector<std::string>& outputLines) override;
    bool SeparatesFiles() const override { return true; }

private:
    std::string FProgram;
};

// The tool's file name on this system ("exiftool", or "exiftool.exe" on Windows).
const char* ExifToolFileName();

// Where the tool is: in programDir if it lies there, else (POSIX) the first
// one on searchPath; nullopt when there is none.
std::optional<std::string> FindExifTool(const std::string& programDir,
                                        const std::string& searchPath);

// The same for the running program and the system's PATH.
std::optional<std::string> FindExifTool();

// The start-up error when the tool is missing.
std::string MissingExifToolMessage();

} // namespace zelmaro
