#include "runner/CommandLine.h"

#include "runner/RunnerErrors.h"

namespace zelmaro {

TLaunchProbe SystemLaunchProbe()
{
    return {[](const std::string& name) { return SearchProgram(name); },
            [](const std::string& path) { return IsNativeExecutable(path); },
            [](const std::string& path) { return GetExeImageKind(path); }};
}

std::string UpperExtension(std::string_view fileName)
{
    const std::size_t nameStart = fileName.find_last_of("/\\:");
    const std::string_view name =
        nameStart == std::string_view::npos ? fileName : fileName.substr(nameStart + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    std::string extension(name.substr(dot));
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return extension;
}

TLaunchPlan ChooseLaunch(const std::string& fileName, const TRunnerRules& rules,
                         const TLaunchProbe& probe)
{
    const std::string extension = UpperExtension(fileName);
    if (rules.BatchFiles && (extension == ".BAT" || (extension == ".CMD" && rules.IsWinNT)))
        return {TLaunchForm::lfQuoted, fileName};
    if (!extension.empty() && extension != ".EXE" && extension != ".COM")
        throw EInOutError(fileName + " has invalid file extension");

    const std::optional<std::string> found = probe.Search(fileName);
    if (!found)
        throw EInOutError("Could not find file " + fileName);
    if (probe.IsNative(*found))
        return {TLaunchForm::lfNative, *found};

    const TExeImageInfo image =
        extension == ".COM" ? TExeImageInfo{TExeImageKind::ikDos, 0} : probe.ImageKind(*found);
    const bool dosLike = image.Kind == TExeImageKind::ikDos || image.Kind == TExeImageKind::ikOS2;
    if (dosLike && rules.IsWinNT)
        return {TLaunchForm::lfCommandShell, *found};
    if (image.Kind == TExeImageKind::ikWin32 && image.Subsystem == 3)
        return {TLaunchForm::lfQuoted, *found};
    throw EInOutError("Executable image is not a supported type");
}

std::string FormatCommandLine(const TLaunchPlan& plan, std::string_view parameters)
{
    std::string line;
    if (plan.Form == TLaunchForm::lfCommandShell)
        line = "cmd /c\"";
    line += '"';
    line += plan.Program;
    line += "\" ";
    line += parameters;
    if (plan.Form == TLaunchForm::lfCommandShell)
        line += '"';
    return line;
}

TProcessCommand MakeProcessCommand(const TLaunchPlan& plan, std::string_view parameters)
{
    TProcessCommand command;
    command.Program = plan.Program;
    command.Arguments.push_back(plan.Program);
    for (std::string& argument : SplitCommandLine(parameters))
        command.Arguments.push_back(std::move(argument));
    command.CommandLine = FormatCommandLine(plan, parameters);
    return command;
}

TProcessCommand MakeProcessCommand(const TLaunchPlan& plan,
                                   const std::vector<std::string>& arguments)
{
    std::string parameters;
    for (const std::string& argument : arguments) {
        if (!parameters.empty())
            parameters += ' ';
        parameters += QuoteArgument(argument);
    }
    TProcessCommand command;
    command.Program = plan.Program;
    command.Arguments.push_back(plan.Program);
    command.Arguments.insert(command.Arguments.end(), arguments.begin(), arguments.end());
    command.CommandLine = FormatCommandLine(plan, parameters);
    return command;
}

std::vector<std::string> SplitCommandLine(std::string_view text)
{
    std::vector<std::string> arguments;
    std::size_t p = 0;
    const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    for (;;) {
        while (blank(at(p)))
            ++p;
        if (p >= text.size())
            break;
        std::string argument;
        bool quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (at(p) == '\\') {
                ++p;
                ++backslashes;
            }
            bool copy = true;
            if (at(p) == '"' && p < text.size()) {
                if (backslashes % 2 == 0) {
                    if (quoted && at(p + 1) == '"' && p + 1 < text.size()) {
                        ++p; // "" inside quotes is one quote
                    } else {
                        copy = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            argument.append(backslashes, '\\');
            if (p >= text.size() || (!quoted && blank(text[p])))
                break;
            if (copy)
                argument += text[p];
            ++p;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string QuoteArgument(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\'); // they stand before the closing quote
    quoted += '"';
    return quoted;
}

} // namespace zelmaro
