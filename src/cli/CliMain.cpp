// zelmaro-cli: the matching workflow without a window.

#include "cli/CliApp.h"
#include "platform/Platform.h"

#include <csignal>
#include <iostream>

#ifndef _WIN32
#include <unistd.h>
#else
#include <io.h>
#endif

namespace {

std::atomic<bool> gCancelRequested = false;

extern "C" void RequestCancel(int)
{
    gCancelRequested = true;
    // A second interrupt ends the program the usual way.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

int main(int argc, char** argv)
{
    zelmaro::TCliEnvironment environment;
    zelmaro::Platform& platform = zelmaro::SystemPlatform();
    environment.Settings = platform.UserFormatSettings();
    environment.Registry = &platform.UserRegistry();
#ifndef _WIN32
    environment.ErrIsTerminal = ::isatty(STDERR_FILENO) != 0;
#else
    environment.ErrIsTerminal = ::_isatty(2) != 0;
#endif
    environment.Cancel = &gCancelRequested;
    std::signal(SIGINT, RequestCancel);
    return zelmaro::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                           environment);
}
