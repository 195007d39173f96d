#pragma once

#include "TinyJpeg.h"
#include "common/FakeTool.h"
#include "common/WorkflowRig.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro::test {

// The command lines these tests start speak German, whatever this machine's
// locale: their texts are what the tests compare. LANGUAGE counts only
// where the message locale is not "C", so that one is made C.UTF-8 then.
inline const bool kGermanMessages = [] {
    const auto plain = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || !*value || std::string_view(value) == "C" ||
               std::string_view(value) == "POSIX";
    };
    const char* all = std::getenv("LC_ALL");
    if (all != nullptr && *all && plain("LC_ALL"))
        ::setenv("LC_ALL", "C.UTF-8", 1);
    else if ((all == nullptr || !*all) && plain("LC_MESSAGES"))
        ::setenv("LC_MESSAGES", "C.UTF-8", 1);
    ::setenv("LANGUAGE", "de", 1);
    return true;
}();

// An image to write: its name, its CreateDate in the tool's syntax and its
// ExposureTime in the tool's syntax; empty values are left out.
struct TaggedImage {
    std::string Name;
    std::string CreateDate;
    std::string Exposure;
};

// True while this process has a child (ended but uncollected ones too).
inline bool HasChildProcess()
{
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) != -1 || errno != ECHILD;
}

inline std::string ExifToolPath()
{
    const auto tool = FindExifTool();
    if (!tool)
        throw std::runtime_error("exiftool not found");
    return *tool;
}

// The real tool's output for one call.
inline std::vector<std::string> RunExifTool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> lines;
    TConsoleMetadataTool(ExifToolPath()).Run(arguments, lines);
    return lines;
}

// Writes the JPEGs into dir and tags them all in one run of the tool.
inline void WriteTaggedImages(const std::string& dir, const std::vector<TaggedImage>& images)
{
    std::vector<std::string> arguments;
    for (const TaggedImage& image : images) {
        const std::string path = dir + "/" + image.Name;
        std::ofstream(path, std::ios::binary) << TinyJpeg();
        if (image.CreateDate.empty() && image.Exposure.empty())
            continue;
        if (!arguments.empty())
            arguments.push_back("-execute");
        if (!image.CreateDate.empty())
            arguments.push_back("-CreateDate=" + image.CreateDate);
        if (!image.Exposure.empty())
            arguments.push_back("-ExposureTime=" + image.Exposure);
        arguments.push_back(path);
    }
    if (arguments.empty())
        return;
    arguments.insert(arguments.end(), {"-common_args", "-q", "-overwrite_original"});
    // A write, which no time bound cuts short: thousands of images take long
    // on a busy machine.
    std::vector<std::string> lines;
    std::vector<std::string> errors;
    TConsoleMetadataTool(ExifToolPath()).RunWrite(arguments, lines, errors);
}

// The file's bytes.
inline std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// What the file holds now, as the tool prints it ("" when it has none).
inline std::string StoredExposure(const std::string& path)
{
    for (const std::string& line : RunExifTool({path, "-ExposureTime"})) {
        if (const auto colon = line.find(": "); colon != std::string::npos)
            return line.substr(colon + 2);
    }
    return {};
}

// What read answers for each of the files in dir, in order.
template <class Read>
std::vector<std::string> EachFile(const TempDir& dir, const std::vector<std::string>& names,
                                  Read read)
{
    std::vector<std::string> answers;
    for (const std::string& name : names)
        answers.push_back(read(dir.File(name)));
    return answers;
}

} // namespace zelmaro::test
