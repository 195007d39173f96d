// A second process for the platform tests. One mode per run:
//   lock DIR       take the directory lock of DIR, write its state ("held",
//                  "busy", "unavailable") and a line feed, keep it until
//                  standard input ends
//   sleep MS       sleep, then end
//   start ARGS...  start the program ARGS name, with the arguments that
//                  follow (none may hold a quote), as a piped child, write its
//                  process id and a line feed, and end at once without
//                  waiting for it
// Ends with code 0, or 2 when the arguments or the start fail.
#include "platform/ChildProcess.h"
#include "platform/DirectoryLock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace zelmaro;

namespace {

const char* StateName(TDirectoryLock::TState state)
{
    switch (state) {
    case TDirectoryLock::TState::lsHeld:
        return "held";
    case TDirectoryLock::TState::lsBusy:
        return "busy";
    case TDirectoryLock::TState::lsUnavailable:
        break;
    }
    return "unavailable";
}

int Start(int argc, char** argv)
{
    TProcessCommand command;
    for (int k = 2; k < argc; ++k) {
        command.Arguments.emplace_back(argv[k]);
        command.CommandLine += (k > 2 ? " \"" : "\"") + std::string(argv[k]) + "\"";
    }
    command.Program = command.Arguments.front();
    int error = 0;
    const std::unique_ptr<TPipedChildProcess> child = StartPipedChildProcess(command, error);
    if (child == nullptr)
        return 2;
#ifdef _WIN32
    std::printf("%lu\n", ::GetProcessId(reinterpret_cast<HANDLE>(child->Handle())));
    std::fflush(stdout);
    // As a crash would: no destructor ends the child.
    ::TerminateProcess(::GetCurrentProcess(), 0);
#else
    std::printf("%ld\n", static_cast<long>(child->Handle()));
    std::fflush(stdout);
    ::_exit(0);
#endif
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "lock") {
        const TDirectoryLock lock(argv[2]);
        std::printf("%s\n", StateName(lock.State()));
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    if (mode == "sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "start")
        return Start(argc, argv);
    return 2;
}
