// zelmaro-cli: the matching workflow without a window.

#include "cli/CliApp.h"
#include "platform/Platform.h"
#include "support/Messages.h"

#include <csignal>
#include <iostream>

#ifndef _WIN32
#include <unistd.h>
#else
#include <io.h>
#endif

namespace {

std::atomic<bool> gCancelRequested = false;

extern "C" void RequestCancel(int signal)
{
    gCancelRequested = true;
    // A second one ends the program the usual way; the tool's processes
    // follow it on their own.
    std::signal(signal, SIG_DFL);
}

} // namespace

int main(int argc, char** argv)
{
    zelmaro::InitMessages(zelmaro::SystemLanguage());
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
    std::signal(SIGTERM, RequestCancel);
#ifndef _WIN32
    // A closed output (| head) is an error of the stream, which the run
    // sees, rather than a death that leaves no time to end the tool.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return zelmaro::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                           environment);
}
