#pragma once

#include "common/TempDir.h"
#include "support/Paths.h"
#include "workflow/MetadataTool.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelmaro::test {

// A metadata tool that answers from a table of output lines per path and
// keeps every call. Writing "-ExposureTime=V" stores "Exposure Time : V" for
// the path unless the file refuses values; a refused write reports
// RefusalLines on the error stream. The whole set's tags ("-FNumber=8", ...)
// are stored along as the lines the tool prints, except RefusedTags.
class FakeTool final : public TMetadataTool {
public:
    std::vector<std::string> RefusedTags;
    std::map<std::string, std::vector<std::string>> Output;
    // The answer for a path without Output of its own.
    std::vector<std::string> Fallback;
    std::vector<std::vector<std::string>> Calls;
    // Called before each answer with the call's number (from 0); may throw.
    std::function<void(std::size_t)> BeforeCall;
    bool RefuseWrites = false;
    std::vector<std::string> RefusalLines;
    // Claims to head each file's lines when asked for several.
    bool Separates = false;

    bool SeparatesFiles() const override { return Separates; }

    void RunReportingErrors(const std::vector<std::string>& arguments,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines) override
    {
        Run(arguments, outputLines);
        if (RefuseWrites && !arguments.empty() && arguments[0].starts_with("-ExposureTime="))
            errorLines.insert(errorLines.end(), RefusalLines.begin(), RefusalLines.end());
    }

    void Run(const std::vector<std::string>& arguments,
             std::vector<std::string>& outputLines) override
    {
        Calls.push_back(arguments);
        if (BeforeCall)
            BeforeCall(Calls.size() - 1);
        if (arguments.size() >= 3 && arguments[0].starts_with("-ExposureTime=")) {
            if (!RefuseWrites) {
                SetExposure(arguments.back(), arguments[0].substr(14));
                SetValues(arguments);
            }
            outputLines.push_back("    1 image files updated");
            return;
        }
        const auto found = Output.find(arguments.at(0));
        const auto& answer = found != Output.end() ? found->second : Fallback;
        outputLines.insert(outputLines.end(), answer.begin(), answer.end());
    }

    // Output for an image as the tool prints it.
    void SetImage(const std::string& path, const std::string& createDate,
                  const std::string& exposure)
    {
        auto& lines = Output[path];
        lines.clear();
        if (!createDate.empty())
            lines.push_back("Create Date                     : " + createDate);
        if (!exposure.empty())
            lines.push_back("Exposure Time                   : " + exposure);
    }

    std::vector<std::vector<std::string>> WriteCalls() const
    {
        std::vector<std::vector<std::string>> writes;
        for (const auto& call : Calls) {
            if (!call.empty() && call[0].starts_with("-ExposureTime="))
                writes.push_back(call);
        }
        return writes;
    }

private:
    void SetValues(const std::vector<std::string>& arguments)
    {
        static const std::map<std::string, std::string> kLines = {
            {"FNumber", "F Number"},
            {"ISO", "ISO"},
            {"FocalLength", "Focal Length"},
            {"LensModel", "Lens Model"},
            {"DateTimeOriginal", "Date/Time Original"}};
        auto& lines = Output[arguments.back()];
        for (const std::string& argument : arguments) {
            const auto equals = argument.find('=');
            if (!argument.starts_with("-") || equals == std::string::npos)
                continue;
            const std::string tag = argument.substr(1, equals - 1);
            const auto line = kLines.find(tag);
            if (line == kLines.end() || std::count(RefusedTags.begin(), RefusedTags.end(), tag))
                continue;
            const std::string head = line->second + " : ";
            std::erase_if(lines, [&](const std::string& l) { return l.starts_with(head); });
            lines.push_back(head + argument.substr(equals + 1));
        }
    }

    void SetExposure(const std::string& path, const std::string& value)
    {
        auto& lines = Output[path];
        std::erase_if(lines, [](const std::string& l) { return l.starts_with("Exposure Time"); });
        lines.push_back("Exposure Time                   : " + value);
    }
};

// One FakeTool for several threads, each calling through a tool of its own.
class SharedFakeTool final : public TMetadataTool {
public:
    SharedFakeTool(FakeTool& inner, std::mutex& mutex) : FInner(inner), FMutex(mutex) {}

    void Run(const std::vector<std::string>& arguments,
             std::vector<std::string>& outputLines) override
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        FInner.Run(arguments, outputLines);
    }
    void RunReportingErrors(const std::vector<std::string>& arguments,
                            std::vector<std::string>& outputLines,
                            std::vector<std::string>& errorLines) override
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        FInner.RunReportingErrors(arguments, outputLines, errorLines);
    }
    bool SeparatesFiles() const override { return FInner.Separates; }

private:
    FakeTool& FInner;
    std::mutex& FMutex;
};

using TempDir = test::TTempDir;

} // namespace zelmaro::test
