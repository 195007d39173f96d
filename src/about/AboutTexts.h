#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmaro {

class Platform;
class TInfoVersion;

// "Version 1.02   (Build 1.2.0.7)"; "Beta-Build" for pre-release builds.
std::string VersionLine(std::string_view prefix, const TInfoVersion& info);

// A version text with every "^" turned into a line break.
std::string WithLineBreaks(std::string_view text);

// 2097152 with '.' -> "2.097.152"; a separator of '\0' groups nothing.
std::string FormatThousands(std::uint64_t value, char separator);

// Physical memory in whole kibibytes with thousands separators and " KB".
std::string MemoryText(std::uint64_t bytes, char thousandSeparator);

// Name of a Windows processor type number: 586 -> "Intel Pentium",
// 4000 -> "Mips R4000", unknown ones in decimal.
std::string ProcessorTypeName(std::uint32_t type);

// "2x Intel Pentium oder kompatibel".
std::string ProcessorLine(std::uint32_t count, std::string_view name);
std::string ProcessorTypeLine(std::uint32_t count, std::uint32_t type);

// The processor line of the about box: count, name and "oder kompatibel", the
// name being the type on Windows and the system's model name elsewhere; empty
// where the system names no processor.
std::string SystemProcessorLine(const Platform& platform);

// "37% frei".
std::string FreeResourcesText(int percent);

} // namespace zelmaro
