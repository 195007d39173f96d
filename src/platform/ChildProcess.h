#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The system's handle of a running child (the process id on POSIX).
using TProcessHandle = std::intptr_t;

// The exit code reported for a child that has not ended yet.
inline constexpr std::int32_t kStillActive = 259;

// A program to start: POSIX takes Program and Arguments (argv[0] first),
// Windows the whole CommandLine.
struct TProcessCommand {
    std::string Program;
    std::vector<std::string> Arguments;
    std::string CommandLine;
};

// A started child whose standard output comes through a pipe. Destroying it
// closes the pipe and, when the child has not been collected yet, ends it and
// collects it, so no child or descriptor outlives the object.
class TChildProcess {
public:
    virtual ~TChildProcess() = default;

    virtual TProcessHandle Handle() const = 0;
    // Reads up to size bytes of the child's output; 0 once the output is
    // closed (by the child and everything that inherited it) or on an error.
    virtual std::size_t ReadOutput(char* buffer, std::size_t size) = 0;
    // Waits at most timeoutMs for the child to end; its exit code, or
    // kStillActive when it still runs.
    virtual std::int32_t WaitForExit(int timeoutMs) = 0;
};

// Starts the command without a window, standard output into a pipe, standard
// input from the null device, standard error shared with the caller. nullptr
// with the system's error code in error when it cannot be started.
std::unique_ptr<TChildProcess> StartChildProcess(const TProcessCommand& command, int& error);

// A started child that also reads its standard input from a pipe. Its
// standard error comes through a pipe of its own; the caller keeps reading
// it (ReadErrorAvailable) so that the child never blocks on it.
class TPipedChildProcess : public TChildProcess {
public:
    // Reads up to size bytes of what the child has written to its standard
    // error, without waiting; 0 when nothing waits, it is closed, or on an error.
    virtual std::size_t ReadErrorAvailable(char* buffer, std::size_t size) = 0;
    // Writes all of bytes; false when the child's input is closed or broken
    // (never raises a signal).
    virtual bool WriteInput(std::string_view bytes) = 0;
    // Closes the child's input, which it sees as its end.
    virtual void CloseInput() = 0;
    // Like ReadOutput, but waits at most timeoutMs for output to come;
    // nullopt when none came in time.
    virtual std::optional<std::size_t> ReadOutputFor(char* buffer, std::size_t size,
                                                     int timeoutMs) = 0;
};

// Starts the command like StartChildProcess, but with an input pipe.
std::unique_ptr<TPipedChildProcess> StartPipedChildProcess(const TProcessCommand& command,
                                                           int& error);

// Full path of the program fileName names: a name with a directory part is
// taken as given, a bare name is searched on the system's program path.
// nullopt when there is no such file.
std::optional<std::string> SearchProgram(const std::string& fileName);
// The same search on an explicit list of directories in the form of PATH.
std::optional<std::string> SearchProgramOn(const std::string& fileName,
                                           const std::string& searchPath);

// True when the system runs the file itself (POSIX: an ELF image or a "#!"
// script that the user may execute); false where this does not apply.
bool IsNativeExecutable(const std::string& path);

// Which of the runner's Windows rules hold on this system.
struct TRunnerRules {
    bool IsWinNT = false;    // DOS programs run through the command interpreter
    bool BatchFiles = false; // ".BAT" (and on NT ".CMD") files run
};
TRunnerRules SystemRunnerRules();

// The system's text for an error code.
std::string SystemErrorText(int error);

} // namespace zelmaro
