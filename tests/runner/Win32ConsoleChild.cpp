// A console program for the Windows runner tests. Each argument is one step:
//   out:HEX        write the bytes to standard output (no text-mode translation)
//   sleep:MS       sleep
//   close          close standard output
//   linger:MS:HEX  start a copy of this program that inherits standard output,
//                  sleeps, writes the bytes and ends; do not wait for it
//   big:N          write N bytes "x" to standard output
//   args           write every further argument in hex, one a line, and end
//   exit:N         end with code N (taken as a 32-bit pattern, so -1 works)
// After the last step it ends with code 0.
#include "ChildHex.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace zelmaro::test;

namespace {

void WriteAll(const std::string& bytes)
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
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

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const std::size_t colon = step.find(':');
        const std::string name = step.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (name == "out") {
            WriteAll(FromHex(value));
        } else if (name == "sleep") {
            ::Sleep(static_cast<DWORD>(std::atol(value.c_str())));
        } else if (name == "close") {
            ::CloseHandle(::GetStdHandle(STD_OUTPUT_HANDLE));
            ::SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
        } else if (name == "linger") {
            const std::size_t split = value.find(':');
            Linger(value.substr(0, split), value.substr(split + 1));
        } else if (name == "big") {
            WriteAll(std::string(std::strtoul(value.c_str(), nullptr, 10), 'x'));
        } else if (name == "args") {
            for (++i; i < argc; ++i)
                WriteAll(ToHex(argv[i]) + "\r\n");
            return 0;
        } else if (name == "exit") {
            ::ExitProcess(static_cast<UINT>(std::strtoll(value.c_str(), nullptr, 10)));
        } else {
            return 100;
        }
    }
    return 0;
}
