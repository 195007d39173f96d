#include "platform/ChildProcess.h"
#include "platform/Platform.h"

#include <windows.h>

#include <array>
#include <mutex>
#include <utility>
#include <vector>

namespace zelmaro {

namespace {

// A kernel handle, closed when it goes out of scope.
class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset(HANDLE handle = nullptr)
    {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

bool IsNtFamily()
{
    return SystemPlatform().OsVersion().PlatformId == VER_PLATFORM_WIN32_NT;
}

class Win32ChildProcess final : public TPipedChildProcess {
public:
    Win32ChildProcess(HANDLE process, HANDLE output, HANDLE input = nullptr,
                      HANDLE errors = nullptr)
        : process_(process), output_(output), input_(input), errors_(errors)
    {
    }

    ~Win32ChildProcess() override
    {
        input_.Reset();
        output_.Reset();
        errors_.Reset();
        // Still running after the bounded wait: end it so that it does not
        // outlive the call unseen.
        if (::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.Get(), static_cast<UINT>(kStillActive));
            ::WaitForSingleObject(process_.Get(), 5000);
        }
    }

    TProcessHandle Handle() const override
    {
        return reinterpret_cast<TProcessHandle>(process_.Get());
    }

    std::size_t ReadOutput(char* buffer, std::size_t size) override
    {
        if (output_.Get() == nullptr || size == 0)
            return 0;
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(output_.Get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
                output_.Reset(); // broken pipe: every writer has closed it
                return 0;
            }
            if (read > 0)
                return read;
            // A zero-byte write of the child; the output is still open.
        }
    }

    bool WriteInput(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            if (input_.Get() == nullptr)
                return false;
            DWORD written = 0;
            if (!::WriteFile(input_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr) ||
                written == 0) {
                input_.Reset();
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    void CloseInput() override { input_.Reset(); }

    std::size_t ReadErrorAvailable(char* buffer, std::size_t size) override
    {
        if (errors_.Get() == nullptr || size == 0)
            return 0;
        DWORD available = 0;
        if (!::PeekNamedPipe(errors_.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            errors_.Reset();
            return 0;
        }
        if (available == 0)
            return 0;
        DWORD read = 0;
        const DWORD wanted = available < size ? available : static_cast<DWORD>(size);
        if (!::ReadFile(errors_.Get(), buffer, wanted, &read, nullptr)) {
            errors_.Reset();
            return 0;
        }
        return read;
    }

    std::optional<std::size_t> ReadOutputFor(char* buffer, std::size_t size, int timeoutMs) override
    {
        if (output_.Get() == nullptr)
            return 0;
        // Anonymous pipes have no timed read: look whether bytes wait first.
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
        DWORD pause = 1;
        for (;;) {
            DWORD available = 0;
            if (!::PeekNamedPipe(output_.Get(), nullptr, 0, nullptr, &available, nullptr)) {
                output_.Reset();
                return 0;
            }
            if (available > 0)
                return ReadOutput(buffer, size);
            if (::GetTickCount64() >= deadline)
                return std::nullopt;
            ::Sleep(pause);
            pause = pause < 10 ? pause * 2 : 10;
        }
    }

    std::int32_t WaitForExit(int timeoutMs) override
    {
        ::WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeoutMs));
        DWORD code = 0;
        if (!::GetExitCodeProcess(process_.Get(), &code))
            return 0;
        return static_cast<std::int32_t>(code);
    }

private:
    UniqueHandle process_;
    UniqueHandle output_;
    UniqueHandle input_;
    UniqueHandle errors_;
};

// The handle made not inheritable (on the old family by a duplicate).
bool KeepFromChild(UniqueHandle& handle, int& error)
{
    if (IsNtFamily()) {
        if (!::SetHandleInformation(handle.Get(), HANDLE_FLAG_INHERIT, 0)) {
            error = static_cast<int>(::GetLastError());
            return false;
        }
        return true;
    }
    HANDLE duplicate = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle.Get(), ::GetCurrentProcess(), &duplicate,
                           0, FALSE, DUPLICATE_SAME_ACCESS)) {
        error = static_cast<int>(::GetLastError());
        return false;
    }
    handle.Reset(duplicate);
    return true;
}

// Held from the first inheritable pipe end until the child's ends are closed
// again: a child started meanwhile by another thread would inherit them too,
// and a pipe whose end it holds never ends.
std::mutex& SpawnMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The job that ends every tool this program started, and what those started,
// when the program ends however it ends: the system closes this handle then.
// Null when no job can be made.
HANDLE ToolJob()
{
    // Held for the life of the process on purpose: closing it ends the tools.
    static const HANDLE job = [] {
        HANDLE made = ::CreateJobObjectA(nullptr, nullptr);
        if (made == nullptr)
            return made;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!::SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                       sizeof(limits))) {
            ::CloseHandle(made);
            return HANDLE{nullptr};
        }
        return made;
    }();
    return job;
}

std::unique_ptr<Win32ChildProcess> Spawn(const TProcessCommand& command, bool pipedInput,
                                         int& error)
{
    // Locked first, so unlocked only after every handle below is closed.
    const std::lock_guard<std::mutex> serialised(SpawnMutex());
    error = 0;
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!::CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) {
        error = static_cast<int>(::GetLastError());
        return nullptr;
    }
    // The child must not hold the read end, or the output never ends.
    if (IsNtFamily()) {
        if (!::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
            error = static_cast<int>(::GetLastError());
            return nullptr;
        }
    } else {
        HANDLE duplicate = nullptr;
        if (!::DuplicateHandle(::GetCurrentProcess(), readEnd.Get(), ::GetCurrentProcess(),
                               &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            error = static_cast<int>(::GetLastError());
            return nullptr;
        }
        readEnd.Reset(duplicate);
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.Get();

    UniqueHandle inputRead;
    UniqueHandle inputWrite;
    UniqueHandle errorRead;
    UniqueHandle errorWrite;
    if (pipedInput) {
        if (!::CreatePipe(inputRead.Out(), inputWrite.Out(), &inherit, 0) ||
            !KeepFromChild(inputWrite, error) ||
            !::CreatePipe(errorRead.Out(), errorWrite.Out(), &inherit, 0) ||
            !KeepFromChild(errorRead, error)) {
            if (error == 0)
                error = static_cast<int>(::GetLastError());
            return nullptr;
        }
        startup.hStdInput = inputRead.Get();
        startup.hStdError = errorWrite.Get();
    }

    // CreateProcessA may write into the command line.
    std::vector<char> commandLine(command.CommandLine.begin(), command.CommandLine.end());
    commandLine.push_back('\0');
    // The tool gets a console group of its own, so that Ctrl+C reaches this
    // program alone, and starts suspended until it is in the job, so that
    // nothing it starts escapes it.
    const DWORD flags =
        CREATE_NO_WINDOW | (pipedInput ? CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED : 0);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                          nullptr, &startup, &info)) {
        error = static_cast<int>(::GetLastError());
        return nullptr;
    }
    UniqueHandle thread(info.hThread);
    UniqueHandle process(info.hProcess);
    if (pipedInput) {
        // Refused inside a job that allows no nested job nor breakaway: the
        // tool then runs without this guard rather than not at all.
        if (const HANDLE job = ToolJob())
            ::AssignProcessToJobObject(job, process.Get());
        if (::ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
            error = static_cast<int>(::GetLastError());
            ::TerminateProcess(process.Get(), static_cast<UINT>(kStillActive));
            ::WaitForSingleObject(process.Get(), 5000);
            return nullptr;
        }
    }
    thread.Reset();
    writeEnd.Reset(); // the output ends when the child's copies are closed
    errorWrite.Reset();
    return std::make_unique<Win32ChildProcess>(process.Release(), readEnd.Release(),
                                               inputWrite.Release(), errorRead.Release());
}

} // namespace

std::unique_ptr<TChildProcess> StartChildProcess(const TProcessCommand& command, int& error)
{
    return Spawn(command, false, error);
}

std::unique_ptr<TPipedChildProcess> StartPipedChildProcess(const TProcessCommand& command,
                                                           int& error)
{
    return Spawn(command, true, error);
}

namespace {

// SearchPathA with ".EXE" as default extension; path null for the system's order.
std::optional<std::string> SearchWith(const char* path, const std::string& fileName)
{
    if (fileName.empty())
        return std::nullopt;
    std::array<char, MAX_PATH + 1> found{};
    char* filePart = nullptr;
    const DWORD length = ::SearchPathA(path, fileName.c_str(), ".EXE",
                                       static_cast<DWORD>(found.size()), found.data(), &filePart);
    if (length == 0 || length >= found.size())
        return std::nullopt;
    return std::string(found.data(), length);
}

} // namespace

std::optional<std::string> SearchProgramOn(const std::string& fileName,
                                           const std::string& searchPath)
{
    return SearchWith(searchPath.c_str(), fileName);
}

std::optional<std::string> SearchProgram(const std::string& fileName)
{
    // The system's order: the program's own directory, the current one, then PATH.
    return SearchWith(nullptr, fileName);
}

bool IsNativeExecutable(const std::string&)
{
    return false; // every program goes through the header check
}

TRunnerRules SystemRunnerRules()
{
    const bool nt = IsNtFamily();
    return {nt, true};
}

std::string SystemErrorText(int error)
{
    std::array<char, 512> buffer{};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, static_cast<DWORD>(error), 0, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), nullptr);
    while (length > 0 &&
           (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' || buffer[length - 1] == ' '))
        --length;
    return std::string(buffer.data(), length);
}

} // namespace zelmaro
