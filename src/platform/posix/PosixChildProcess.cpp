#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <utility>

extern char** environ;

namespace zelmaro {

namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

std::int32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status); // as a shell reports it
    return 0;
}

// Pauses until the child may have ended, at most until deadline: on a process
// descriptor where the kernel offers one, else by growing sleeps.
void SleepUntilExitOr(pid_t pid, std::chrono::steady_clock::time_point deadline,
                      std::chrono::microseconds& pause)
{
#ifdef SYS_pidfd_open
    static_cast<void>(pause);
    const long pidFd = ::syscall(SYS_pidfd_open, pid, 0);
    if (pidFd >= 0) {
        UniqueFd guard(static_cast<int>(pidFd));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd item{guard.get(), POLLIN, 0};
        ::poll(&item, 1, static_cast<int>(std::max<std::int64_t>(0, left.count()) + 1));
        return;
    }
#endif
    static_cast<void>(pid);
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        pause, deadline - std::chrono::steady_clock::now()));
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
}

// How long a killed child is waited for before it is left to the system.
constexpr int kKillWaitMs = 2000;

class PosixChildProcess final : public TPipedChildProcess {
public:
    PosixChildProcess(pid_t pid, int output, int input = -1, int errors = -1)
        : pid_(pid), output_(output), input_(input), errors_(errors)
    {
    }

    ~PosixChildProcess() override
    {
        input_.reset();
        output_.reset();
        errors_.reset();
        if (collected_)
            return;
        // Still running (or never waited for): end it rather than leave a
        // zombie. A child stuck in the kernel (a dead network share) cannot
        // die before its call returns; it is not waited for without end.
        ::kill(pid_, SIGKILL);
        WaitForExit(kKillWaitMs);
    }

    TProcessHandle Handle() const override { return pid_; }

    std::size_t ReadOutput(char* buffer, std::size_t size) override
    {
        if (output_.get() < 0)
            return 0;
        for (;;) {
            const ssize_t n = ::read(output_.get(), buffer, size);
            if (n > 0)
                return static_cast<std::size_t>(n);
            if (n < 0 && errno == EINTR)
                continue;
            output_.reset();
            return 0;
        }
    }

    bool WriteInput(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            if (input_.get() < 0)
                return false;
            // A socket rather than a pipe: MSG_NOSIGNAL keeps a dead reader
            // from raising SIGPIPE in this process.
            const ssize_t n = ::send(input_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                input_.reset();
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    void CloseInput() override { input_.reset(); }

    std::size_t ReadErrorAvailable(char* buffer, std::size_t size) override
    {
        for (;;) {
            if (errors_.get() < 0)
                return 0;
            const ssize_t n = ::read(errors_.get(), buffer, size); // non-blocking
            if (n > 0)
                return static_cast<std::size_t>(n);
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                errors_.reset();
            return 0;
        }
    }

    std::optional<std::size_t> ReadOutputFor(char* buffer, std::size_t size, int timeoutMs) override
    {
        if (output_.get() < 0)
            return 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd item{output_.get(), POLLIN, 0};
            const int ready =
                ::poll(&item, 1, static_cast<int>(std::max<std::int64_t>(0, left.count())));
            if (ready > 0)
                return ReadOutput(buffer, size);
            if (ready < 0 && errno != EINTR) {
                output_.reset();
                return 0;
            }
            if (ready == 0 && std::chrono::steady_clock::now() >= deadline)
                return std::nullopt;
        }
    }

    std::int32_t WaitForExit(int timeoutMs) override
    {
        if (collected_)
            return exitCode_;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::chrono::microseconds pause(50);
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                collected_ = true;
                exitCode_ = ExitCodeOf(status);
                return exitCode_;
            }
            if (done < 0 && errno != EINTR) {
                collected_ = true; // not ours to wait for any more
                return exitCode_;
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return kStillActive;
            SleepUntilExitOr(pid_, deadline, pause);
        }
    }

private:
    pid_t pid_;
    UniqueFd output_;
    UniqueFd input_;
    UniqueFd errors_;
    bool collected_ = false;
    std::int32_t exitCode_ = 0;
};

struct SpawnActions {
    posix_spawn_file_actions_t value;
    SpawnActions() { ::posix_spawn_file_actions_init(&value); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&value); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

struct SpawnAttributes {
    posix_spawnattr_t value;
    SpawnAttributes() { ::posix_spawnattr_init(&value); }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&value); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

// strerror_r comes in a GNU form that returns the text and an XSI form that
// fills the buffer.
[[maybe_unused]] std::string ErrorText(const char* text, const char*)
{
    return text != nullptr ? text : "";
}
[[maybe_unused]] std::string ErrorText(int result, const char* buffer)
{
    return result == 0 ? buffer : "";
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

#ifdef __linux__
// Marks every descriptor above the standard streams close-on-exec at once,
// where the kernel can.
bool MarkOthersCloseOnExec()
{
#ifdef SYS_close_range
    constexpr unsigned kCloseRangeCloexec = 1U << 2; // older headers lack the name
    return ::syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) == 0;
#else
    return false;
#endif
}

// Starts the program with its standard streams on streams[0..2], like
// posix_spawn, and two more guards: a process group of its own, so that the
// terminal's Ctrl+C reaches this program alone, which then ends its calls as
// it sees fit; and SIGINT as its parent-death signal, so that the tool ends
// when this program dies, even by SIGKILL. The tool takes SIGINT as Ctrl+C:
// it finishes replacing a file first and removes its temporary file. The
// signal follows the death of the starting thread, which a tool started on a
// passing thread only reads through. 0, or the error of the start.
int ForkGuarded(const std::string& program, char* const argv[], const std::array<int, 3>& streams,
                pid_t& pid)
{
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0)
        return errno;
    UniqueFd statusRead(status[0]);
    UniqueFd statusWrite(status[1]);
    const pid_t parent = ::getpid();
    pid = ::fork();
    if (pid < 0)
        return errno;
    if (pid == 0) {
        // Only calls that are safe after fork in a threaded program.
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (int sig = 1; sig < NSIG; ++sig)
            ::sigaction(sig, &defaults, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        int failure = 0;
        if (::prctl(PR_SET_PDEATHSIG, SIGINT) != 0 || ::getppid() != parent)
            failure = ESRCH;
        ::setpgid(0, 0);
        for (int fd = 0; fd < 3 && failure == 0; ++fd) {
            if (streams[static_cast<std::size_t>(fd)] == fd)
                failure = ::fcntl(fd, F_SETFD, 0) == 0 ? 0 : errno;
            else if (::dup2(streams[static_cast<std::size_t>(fd)], fd) < 0)
                failure = errno;
        }
        // Only the three standard streams reach the program.
        if (failure == 0 && !MarkOthersCloseOnExec())
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != status[1])
                    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        if (failure == 0) {
            ::execve(program.c_str(), argv, environ);
            failure = errno;
        }
        [[maybe_unused]] const ssize_t told = ::write(status[1], &failure, sizeof failure);
        ::_exit(127);
    }
    statusWrite.reset();
    int failure = 0;
    ssize_t n = 0;
    do {
        n = ::read(statusRead.get(), &failure, sizeof failure);
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(sizeof failure))
        return 0; // the program runs
    int collected = 0;
    while (::waitpid(pid, &collected, 0) < 0 && errno == EINTR) {
    }
    return failure;
}
#endif

} // namespace

static std::unique_ptr<PosixChildProcess> Spawn(const TProcessCommand& command, bool pipedInput,
                                                int& error)
{
    error = 0;
    int pair[2] = {-1, -1};
    if (pipedInput && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        error = errno;
        return nullptr;
    }
    UniqueFd inputOurs(pair[0]);
    UniqueFd inputChild(pair[1]);
    if (pipedInput) {
        ::shutdown(pair[0], SHUT_RD);
        ::shutdown(pair[1], SHUT_WR);
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = errno;
        return nullptr;
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    int errorEnds[2] = {-1, -1};
    if (pipedInput && ::pipe2(errorEnds, O_CLOEXEC) != 0) {
        error = errno;
        return nullptr;
    }
    UniqueFd errorRead(errorEnds[0]);
    UniqueFd errorWrite(errorEnds[1]);
    if (pipedInput && ::fcntl(errorRead.get(), F_SETFL, O_NONBLOCK) != 0) {
        error = errno;
        return nullptr;
    }

    SpawnActions actions;
    int rc = pipedInput ? ::posix_spawn_file_actions_adddup2(&actions.value, inputChild.get(),
                                                             STDIN_FILENO)
                        : ::posix_spawn_file_actions_addopen(&actions.value, STDIN_FILENO,
                                                             "/dev/null", O_RDONLY, 0);
    if (rc == 0 && pipedInput)
        rc = ::posix_spawn_file_actions_adddup2(&actions.value, errorWrite.get(), STDERR_FILENO);
    if (rc == 0)
        rc = ::posix_spawn_file_actions_adddup2(&actions.value, writeEnd.get(), STDOUT_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Only the three standard streams reach the child.
    if (rc == 0)
        rc = ::posix_spawn_file_actions_addclosefrom_np(&actions.value, STDERR_FILENO + 1);
#endif
    SpawnAttributes attributes;
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    if (rc == 0)
        rc = ::posix_spawnattr_setsigdefault(&attributes.value, &all);
    if (rc == 0)
        rc = ::posix_spawnattr_setsigmask(&attributes.value, &none);
    if (rc == 0)
        rc = ::posix_spawnattr_setflags(&attributes.value,
                                        POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (rc != 0) {
        error = rc;
        return nullptr;
    }

    std::vector<char*> argv;
    argv.reserve(command.Arguments.size() + 1);
    for (const std::string& argument : command.Arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
#ifdef __linux__
    if (pipedInput)
        rc = ForkGuarded(command.Program, argv.data(),
                         {inputChild.get(), writeEnd.get(), errorWrite.get()}, pid);
    else
#endif
        rc = ::posix_spawn(&pid, command.Program.c_str(), &actions.value, &attributes.value,
                           argv.data(), environ);
    if (rc != 0) {
        error = rc;
        return nullptr;
    }
    writeEnd.reset(); // the output ends when the child's copies are closed
    errorWrite.reset();
    return std::make_unique<PosixChildProcess>(pid, readEnd.release(), inputOurs.release(),
                                               errorRead.release());
}

std::unique_ptr<TChildProcess> StartChildProcess(const TProcessCommand& command, int& error)
{
    return Spawn(command, false, error);
}

std::unique_ptr<TPipedChildProcess> StartPipedChildProcess(const TProcessCommand& command,
                                                           int& error)
{
    return Spawn(command, true, error);
}

std::optional<std::string> SearchProgramOn(const std::string& fileName,
                                           const std::string& searchPath)
{
    if (fileName.empty())
        return std::nullopt;
    if (fileName.find('/') != std::string::npos) {
        if (IsRegularFile(fileName))
            return fileName;
        return std::nullopt;
    }
    // Like the shell: the first file we may execute; failing that, the first
    // file of that name at all, so that the caller can say what is wrong with it.
    std::optional<std::string> firstFile;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = searchPath.find(':', start);
        const std::string_view entry =
            std::string_view(searchPath)
                .substr(start, colon == std::string::npos ? colon : colon - start);
        std::string candidate(entry.empty() ? std::string_view(".") : entry);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += fileName;
        if (IsRegularFile(candidate)) {
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
            if (!firstFile)
                firstFile = std::move(candidate);
        }
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return firstFile;
}

std::optional<std::string> SearchProgram(const std::string& fileName)
{
    if (const char* path = std::getenv("PATH"))
        return SearchProgramOn(fileName, path);
    std::string fallback(::confstr(_CS_PATH, nullptr, 0), '\0');
    if (!fallback.empty()) {
        ::confstr(_CS_PATH, fallback.data(), fallback.size());
        fallback.pop_back();
    }
    return SearchProgramOn(fileName, fallback.empty() ? "/bin:/usr/bin" : fallback);
}

bool IsNativeExecutable(const std::string& path)
{
    if (!IsRegularFile(path) || ::access(path.c_str(), X_OK) != 0)
        return false;
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return false;
    char head[4] = {};
    ssize_t n = 0;
    do {
        n = ::read(file.get(), head, sizeof head);
    } while (n < 0 && errno == EINTR);
    if (n >= 4 && std::memcmp(head,
                              "\x7f"
                              "ELF",
                              4) == 0)
        return true;
    return n >= 2 && head[0] == '#' && head[1] == '!';
}

TRunnerRules SystemRunnerRules()
{
    return {}; // neither batch files nor DOS programs
}

std::string SystemErrorText(int error)
{
    char buffer[256] = {};
    return ErrorText(::strerror_r(error, buffer, sizeof buffer), buffer);
}

} // namespace zelmaro
