// A console program for the runner tests. Each argument is one step:
//   out:HEX        write the bytes to standard output (no text-mode translation)
//   sleep:MS       sleep
//   close          close standard output
//   linger:MS:HEX  leave a process behind that holds standard output, sleeps,
//                  writes the bytes and ends
//   big:N          write N bytes "x" to standard output
//   args           write every further argument in hex, one a line, and end
//   exit:N         end with code N (taken as a 32-bit pattern, so -1 works)
// POSIX only:
//   err:TEXT       write the text to standard error
//   stdin          write "eof", "data" or "error" after one read of standard input
//   fds            write the open descriptors, e.g. "0,1,2"
// After the last step it ends with code 0.
#include "runner/ChildHex.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <string>
#include <vector>

using namespace zelmaro::test;

namespace {

#ifdef _WIN32
constexpr const char* kNewline = "\r\n";

void WriteAll(int stream, const std::string& bytes)
{
    const HANDLE out = ::GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                         &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

void SleepMs(long ms)
{
    ::Sleep(static_cast<DWORD>(ms));
}

void CloseOutput()
{
    ::CloseHandle(::GetStdHandle(STD_OUTPUT_HANDLE));
    ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
}

// A copy of this program that inherits standard output; nobody waits for it.
void Linger(const std::string& ms, const std::string& hex)
{
    char self[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" sleep:" + ms + " out:" + hex;
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}
#else
constexpr const char* kNewline = "\n";

void WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void SleepMs(long ms)
{
    ::usleep(static_cast<useconds_t>(ms) * 1000);
}

void CloseOutput()
{
    ::close(1);
}

// A grandchild that holds standard output.
void Linger(const std::string& ms, const std::string& hex)
{
    if (::fork() == 0) {
        SleepMs(std::atol(ms.c_str()));
        WriteAll(1, FromHex(hex));
        ::_exit(0);
    }
}

std::string OpenDescriptors()
{
    std::vector<int> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return "?";
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = std::atoi(entry->d_name);
        if (fd != own)
            fds.push_back(fd);
    }
    ::closedir(dir);
    std::string text;
    for (int fd : fds)
        text += (text.empty() ? "" : ",") + std::to_string(fd);
    return text;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const std::size_t colon = step.find(':');
        const std::string name = step.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (name == "out") {
            WriteAll(1, FromHex(value));
        } else if (name == "sleep") {
            SleepMs(std::atol(value.c_str()));
        } else if (name == "close") {
            CloseOutput();
        } else if (name == "linger") {
            const std::size_t split = value.find(':');
            Linger(value.substr(0, split), value.substr(split + 1));
        } else if (name == "big") {
            WriteAll(1, std::string(std::strtoul(value.c_str(), nullptr, 10), 'x'));
        } else if (name == "args") {
            for (++i; i < argc; ++i)
                WriteAll(1, ToHex(argv[i]) + kNewline);
            return 0;
        } else if (name == "exit") {
            return static_cast<int>(std::strtoll(value.c_str(), nullptr, 10));
#ifndef _WIN32
        } else if (name == "err") {
            WriteAll(2, value);
        } else if (name == "stdin") {
            char c = 0;
            const ssize_t n = ::read(0, &c, 1);
            WriteAll(1, n == 0 ? "eof" : n > 0 ? "data" : "error");
        } else if (name == "fds") {
            WriteAll(1, OpenDescriptors());
#endif
        } else {
            WriteAll(2, "unknown step " + step + "\n");
            return 100;
        }
    }
    return 0;
}
