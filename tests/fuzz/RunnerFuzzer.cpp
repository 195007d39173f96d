// libFuzzer target: parameter splitting and quoting, the executable header
// check and the output line splitter on arbitrary bytes.
#include "runner/CommandLine.h"
#include "runner/ExeImage.h"
#include "runner/OutputLineSplitter.h"
#include "runner/RunnerErrors.h"

#include <cstdlib>
#include <sstream>

using namespace zelmaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::vector<std::string> arguments = SplitCommandLine(bytes);
    std::string joined;
    std::vector<std::string> withoutNul;
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos)
            continue;
        withoutNul.push_back(argument);
        joined += (joined.empty() ? "" : " ") + QuoteArgument(argument);
        if (SplitCommandLine(QuoteArgument(argument)) != std::vector<std::string>{argument})
            std::abort();
    }
    if (SplitCommandLine(joined) != withoutNul)
        std::abort();

    std::istringstream image{std::string(bytes)};
    try {
        GetExeImageKind(image);
    } catch (const EInOutError&) {
    }

    std::vector<std::string> lines;
    std::size_t calls = 0;
    TOutputLineSplitter splitter(
        &lines, [&](TProcessHandle, const std::string&) { ++calls; }, 1);
    splitter.Feed(bytes.substr(0, size / 2));
    splitter.Feed(bytes.substr(size / 2));
    splitter.Finish();
    if (lines.empty() || lines.size() > calls)
        std::abort();
    for (const std::string& line : lines) {
        if (line.size() > TOutputLineSplitter::kLineLength ||
            line.find_first_of("\r\n") != std::string::npos)
            std::abort();
    }
    return 0;
}
