#pragma once

#include "platform/ChildProcess.h"
#include "runner/ExeImage.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// How a program is started.
enum class TLaunchForm {
    lfQuoted,       // "program" parameters
    lfCommandShell, // cmd /c""program" parameters"
    lfNative,       // a program the system runs itself (POSIX)
};

struct TLaunchPlan {
    TLaunchForm Form = TLaunchForm::lfQuoted;
    std::string Program; // the path as found, or as given for batch files
};

// The system questions the choice asks; tests answer them without one.
struct TLaunchProbe {
    std::function<std::optional<std::string>(const std::string&)> Search;
    std::function<bool(const std::string&)> IsNative;
    std::function<TExeImageInfo(const std::string&)> ImageKind;
};

// The probe that asks the running system.
TLaunchProbe SystemLaunchProbe();

// The extension of fileName's name part, dot included, ASCII upper case.
std::string UpperExtension(std::string_view fileName);

// Decides whether and how fileName is run. Raises EInOutError with the
// runner's messages for a bad extension, a missing file or an image kind it
// does not run.
TLaunchPlan ChooseLaunch(const std::string& fileName, const TRunnerRules& rules,
                         const TLaunchProbe& probe);

// The Windows command line of a plan.
std::string FormatCommandLine(const TLaunchPlan& plan, std::string_view parameters);

// What the system is asked to start: the command line, and for POSIX the
// program with parameters split into arguments.
TProcessCommand MakeProcessCommand(const TLaunchPlan& plan, std::string_view parameters);
// The same from arguments: POSIX gets them as they are, Windows quoted into
// the command line.
TProcessCommand MakeProcessCommand(const TLaunchPlan& plan,
                                   const std::vector<std::string>& arguments);

// Splits a parameter text into arguments as the Windows C runtime does:
// blanks and tabs separate, double quotes group, backslashes escape quotes.
std::vector<std::string> SplitCommandLine(std::string_view text);

// The argument so written that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);

} // namespace zelmaro
