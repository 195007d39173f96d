#include "runner/ConsoleApp.h"

#include "platform/ChildProcess.h"
#include "runner/CommandLine.h"
#include "support/Messages.h"

#include <array>

namespace zelmaro {

std::string SystemErrorMessage(int errorCode)
{
    return Fill(Tr("Systemfehler. Code: %1."), errorCode) + "\n" + SystemErrorText(errorCode);
}

std::int32_t RunConsoleApp(const std::string& fileName, const std::string& parameters,
                           std::vector<std::string>* lines, const TConsoleLineEvent& onLine)
{
    const TLaunchPlan plan = ChooseLaunch(fileName, SystemRunnerRules(), SystemLaunchProbe());
    const TProcessCommand command = MakeProcessCommand(plan, parameters);

    int error = 0;
    const std::unique_ptr<TChildProcess> child = StartChildProcess(command, error);
    if (!child)
        throw EOSError(error, SystemErrorMessage(error));

    TOutputLineSplitter splitter(lines, onLine, child->Handle());
    std::array<char, 257> chunk{};
    while (const std::size_t count = child->ReadOutput(chunk.data(), chunk.size()))
        splitter.Feed({chunk.data(), count});
    const std::int32_t exitCode = child->WaitForExit(kExitWaitMs);
    splitter.Finish();
    return exitCode;
}

} // namespace zelmaro
