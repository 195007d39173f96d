#include "about/AboutTexts.h"

#include "about/InfVer.h"
#include "platform/Platform.h"
#include "support/Messages.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelmaro {

std::string VersionLine(std::string_view prefix, const TInfoVersion& info)
{
    std::string line(prefix);
    line += info.ShortFileVersion;
    line += "   (";
    line += Fill(info.PreRelease ? Tr("Beta-Build %1") : Tr("Build %1"), info.FileVersion);
    line += ')';
    return line;
}

std::string WithLineBreaks(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c == '^')
            c = '\n';
    }
    return result;
}

std::string FormatThousands(std::uint64_t value, char separator)
{
    std::string digits = std::to_string(value);
    if (separator == '\0')
        return digits;
    std::string result;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result += separator;
        result += digits[i];
    }
    return result;
}

std::string MemoryText(std::uint64_t bytes, char thousandSeparator)
{
    return FormatThousands(bytes >> 10, thousandSeparator) + " KB";
}

std::string ProcessorTypeName(std::uint32_t type)
{
    switch (type) {
    case 386:
        return "Intel 386";
    case 486:
        return "Intel 486";
    case 586:
        return "Intel Pentium";
    case 2000:
    case 3000:
    case 4000:
        return "Mips R" + std::to_string(type);
    case 21064:
        return "Alpha 21064";
    default:
        return std::to_string(type);
    }
}

std::string ProcessorLine(std::uint32_t count, std::string_view name)
{
    return Fill(Tr("%1x %2 oder kompatibel"), count, name);
}

std::string ProcessorTypeLine(std::uint32_t count, std::uint32_t type)
{
    return ProcessorLine(count, ProcessorTypeName(type));
}

std::string SystemProcessorLine(const Platform& platform)
{
#ifdef _WIN32
    (void)platform;
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return ProcessorTypeLine(info.dwNumberOfProcessors, info.dwProcessorType);
#else
    const TProcessorInfo processors = platform.Processors();
    if (processors.Name.empty())
        return {};
    return ProcessorLine(std::max<std::uint32_t>(processors.Count, 1), processors.Name);
#endif
}

std::string FreeResourcesText(int percent)
{
    return Fill(Tr("%1% frei"), percent);
}

} // namespace zelmaro
