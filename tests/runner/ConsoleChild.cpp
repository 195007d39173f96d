// A console program for the runner tests. Each argument is one step:
//   out:HEX        write the bytes to standard output
//   err:TEXT       write the text to standard error
//   sleep:MS       sleep
//   close          close standard output
//   linger:MS:HEX  leave a grandchild that holds standard output, sleeps,
//                  writes the bytes and ends
//   big:N          write N bytes "x" to standard output
//   stdin          write "eof", "data" or "error" after one read of standard input
//   fds            write the open descriptors, e.g. "0,1,2"
//   args           write every further argument in hex, one a line, and end
//   exit:N         end with code N
// After the last step it ends with code 0.
#include "ChildHex.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace zelmaro::test;

namespace {

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
        } else if (name == "err") {
            WriteAll(2, value);
        } else if (name == "sleep") {
            SleepMs(std::atol(value.c_str()));
        } else if (name == "close") {
            ::close(1);
        } else if (name == "linger") {
            const std::size_t split = value.find(':');
            const long ms = std::atol(value.substr(0, split).c_str());
            const std::string bytes = FromHex(value.substr(split + 1));
            if (::fork() == 0) {
                SleepMs(ms);
                WriteAll(1, bytes);
                ::_exit(0);
            }
        } else if (name == "big") {
            WriteAll(1, std::string(std::strtoul(value.c_str(), nullptr, 10), 'x'));
        } else if (name == "stdin") {
            char c = 0;
            const ssize_t n = ::read(0, &c, 1);
            WriteAll(1, n == 0 ? "eof" : n > 0 ? "data" : "error");
        } else if (name == "fds") {
            WriteAll(1, OpenDescriptors());
        } else if (name == "args") {
            for (++i; i < argc; ++i)
                WriteAll(1, ToHex(argv[i]) + "\n");
            return 0;
        } else if (name == "exit") {
            return std::atoi(value.c_str());
        } else {
            WriteAll(2, "unknown step " + step + "\n");
            return 100;
        }
    }
    return 0;
}
