#include "workflow/ImageData.h"

#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/Paths.h"
#include "support/Strings.h"
#include "workflow/Records.h"

#include <limits>
#include <string_view>

namespace zelmaro {

namespace {

// What follows the first ":" of a tool line, trimmed.
std::string_view TagValue(std::string_view line)
{
    const auto colon = line.find(':');
    return TrimBlanks(colon == std::string_view::npos ? std::string_view()
                                                      : line.substr(colon + 1));
}

// The piece up to the separator; rest keeps what follows it. A missing
// separator leaves the whole rest as the piece, which the strict conversion
// of the following parts then refuses.
std::string_view TakeUntil(std::string_view& rest, char separator)
{
    const auto pos = rest.find(separator);
    std::string_view piece = rest.substr(0, pos);
    rest = pos == std::string_view::npos ? std::string_view() : rest.substr(pos + 1);
    return piece;
}

// The whole seconds of "56", "56.21", "56+00:00", "06.583-07:00" or "56Z".
// The moment stays the camera's own clock, the one the log was compared
// with, so a time zone is not applied. Anything else is left for the strict
// conversion to refuse.
std::string_view WholeSeconds(std::string_view seconds)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto digitsFrom = [&](std::size_t at) {
        while (at < seconds.size() && isDigit(seconds[at]))
            ++at;
        return at;
    };
    const std::size_t whole = digitsFrom(0);
    std::size_t end = whole;
    if (whole > 0 && end < seconds.size() && seconds[end] == '.') {
        end = digitsFrom(end + 1);
        if (end == whole + 1)
            return seconds;
    }
    const std::string_view zone = seconds.substr(end);
    const bool zoneOk =
        zone.empty() || zone == "Z" ||
        (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && isDigit(zone[1]) &&
         isDigit(zone[2]) && zone[3] == ':' && isDigit(zone[4]) && isDigit(zone[5]));
    return whole > 0 && zoneOk ? seconds.substr(0, whole) : seconds;
}

// 0, which is no date, where the date cannot be a moment: one that does not
// exist (an unset camera clock gives 0000:00:00 00:00:00), and one before
// 1899-12-30 or after 2036-02-05 06:28:15, which 32 bits of seconds would
// wrap. A part that is no number still throws ConversionError.
std::uint32_t ParseCreateDate(std::string_view value, const FormatSettings& settings)
{
    TDateTimeParts parts;
    parts.Year = StrToInt(TakeUntil(value, ':'));
    parts.Month = StrToInt(TakeUntil(value, ':'));
    parts.Day = StrToInt(TakeUntil(value, ' '));
    parts.Hour = StrToInt(TakeUntil(value, ':'));
    parts.Minute = StrToInt(TakeUntil(value, ':'));
    parts.Second = StrToInt(WholeSeconds(value));
    parts.MilliSecond = 0;
    std::int64_t seconds = 0;
    try {
        seconds = DaysToSeconds(EncodeDateTime(parts, settings));
    } catch (const ConversionError&) {
        return 0;
    }
    if (seconds < 0 || seconds > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(seconds);
}

void ParseExposureTime(std::string_view value, const FormatSettings& settings, double& exposure)
{
    if (const auto slash = value.find('/'); slash != std::string_view::npos) {
        const auto numerator = TryStrToInt(value.substr(0, slash));
        const auto denominator = TryStrToInt(value.substr(slash + 1));
        if (numerator && denominator && *denominator != 0)
            exposure = static_cast<double>(*numerator) / static_cast<double>(*denominator);
        return;
    }
    // The tool writes a decimal point; the user's separator is what converts.
    std::string text(value);
    if (const auto dot = text.find('.'); dot != std::string::npos)
        text[dot] = settings.DecimalSeparator;
    if (const auto converted = TryTextToFloat(text, settings.DecimalSeparator))
        exposure = *converted;
}

// The tool prints the exposure time rounded (1/60, but 1.25 s as "1.2") and
// then as its number (0.01666666667, 1.25). The printed fraction is exact
// where the number confirms it; otherwise the number is.
double ExactExposureTime(const std::vector<std::string_view>& values,
                         const FormatSettings& settings)
{
    double printed = 0;
    if (values.empty())
        return printed;
    ParseExposureTime(values.front(), settings, printed);
    if (values.size() == 1)
        return printed;
    double number = 0;
    ParseExposureTime(values.back(), settings, number);
    const bool fraction = values.front().find('/') != std::string_view::npos;
    if (number == 0 || (fraction && ExposureTimesEqual(printed, number)))
        return printed;
    return number;
}

// The leading number of "5.6", "50.0 mm" or "400", as the tool prints it
// with a decimal point; nothing where there is none.
std::optional<double> LeadingNumber(std::string_view value, const FormatSettings& settings)
{
    std::string text(value.substr(0, value.find(' ')));
    if (const auto dot = text.find('.'); dot != std::string::npos)
        text[dot] = settings.DecimalSeparator;
    const std::optional<double> number = TryTextToFloat(text, settings.DecimalSeparator);
    if (number && *number > 0)
        return number;
    return std::nullopt;
}

// Takes a line of the lens settings and the shot's moment into values;
// false for any other line. Matched by the whole tag name, so that no such
// line is taken for a date or an exposure time.
bool TakeValueLine(std::string_view line, const FormatSettings& settings, TImageValues& values)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view name = TrimBlanks(line.substr(0, colon));
    const std::string_view value = TagValue(line);
    if (name == "F Number") {
        values.Aperture = LeadingNumber(value, settings);
    } else if (name == "Focal Length") {
        values.FocalLength = LeadingNumber(value, settings);
    } else if (name == "ISO") {
        const auto iso = TryStrToInt(value.substr(0, value.find(' ')));
        values.ISO = iso && *iso > 0 ? std::optional<std::uint32_t>(*iso) : std::nullopt;
    } else if (name == "Lens Model") {
        values.Lens = std::string(value);
    } else if (name == "Date/Time Original") {
        try {
            values.ShotDate = ParseCreateDate(value, settings);
        } catch (const ConversionError&) {
            values.ShotDate = 0; // not the image's date: it stays readable
        }
    } else {
        return false;
    }
    return true;
}

} // namespace

TImageData ParseImageData(const std::vector<std::string>& lines, const FormatSettings& settings)
{
    TImageData data;
    std::vector<std::string_view> exposures;
    for (const std::string& line : lines) {
        if (TakeValueLine(line, settings, data.Values))
            continue;
        if (line.find("Create Date") != std::string::npos)
            data.Date = ParseCreateDate(TagValue(line), settings);
        else if (line.find("Exposure Time") != std::string::npos)
            exposures.push_back(TagValue(line));
    }
    data.ExposureTime = ExactExposureTime(exposures, settings);
    return data;
}

TImageData ParseSidecarData(const std::optional<std::vector<std::string>>& lines,
                            const FormatSettings& settings)
{
    std::vector<std::string> taken;
    if (lines)
        for (const std::string& line : *lines)
            if (line.find("Create Date") == std::string::npos)
                taken.push_back(line);
    return ParseImageData(taken, settings);
}

std::string ToolArgumentPath(const std::string& path)
{
    if (!path.empty() && path.front() == '-')
        return JoinPath(".", path);
    return path;
}

namespace {

// The tool's lines for the files, read in one call.
std::vector<std::string> RunImageTags(TMetadataTool& tool, std::vector<std::string> toolPaths,
                                      const std::vector<std::string>& extraTags)
{
    // The EXIF date comes last and so wins: a container's date (CR3, HEIF)
    // is UTC or the computer's zone, not the camera's clock.
    for (const char* tag : {"-CreateDate", "-EXIF:CreateDate", "-ExposureTime", "-ExposureTime#"})
        toolPaths.emplace_back(tag);
    toolPaths.insert(toolPaths.end(), extraTags.begin(), extraTags.end());
    std::vector<std::string> lines;
    std::vector<std::string> errors;
    tool.RunReportingErrors(toolPaths, lines, errors);
    return lines;
}

// Whether a head names the path; on Windows the tool may print "/" for "\\".
bool NamesPath(std::string_view head, const std::string& path)
{
    if (head.size() != path.size())
        return false;
    for (std::size_t i = 0; i < head.size(); ++i) {
        const bool slashes =
            (head[i] == '/' || head[i] == '\\') && (path[i] == '/' || path[i] == '\\');
        if (head[i] != path[i] && !(kNativePathStyle == TPathStyle::psWindows && slashes))
            return false;
    }
    return true;
}

} // namespace

std::optional<std::vector<std::string>> ReadImageLines(TMetadataTool& tool, const std::string& path,
                                                       const std::vector<std::string>& extraTags)
{
    if (!FileExists(path))
        return std::nullopt;
    return RunImageTags(tool, {ToolArgumentPath(path)}, extraTags);
}

std::optional<std::vector<std::vector<std::string>>>
SplitFileOutput(const std::vector<std::string>& lines, const std::vector<std::string>& toolPaths)
{
    constexpr std::string_view kHead = "======== ";
    std::vector<std::vector<std::string>> pieces;
    for (const std::string& line : lines) {
        if (line.starts_with(kHead)) {
            if (pieces.size() == toolPaths.size() ||
                !NamesPath(std::string_view(line).substr(kHead.size()), toolPaths[pieces.size()]))
                return std::nullopt;
            pieces.emplace_back();
        } else if (line.starts_with("    ")) {
            continue; // the closing count of files read
        } else if (pieces.empty()) {
            return std::nullopt;
        } else {
            pieces.back().push_back(line);
        }
    }
    if (pieces.size() != toolPaths.size())
        return std::nullopt;
    return pieces;
}

std::optional<std::vector<std::optional<std::vector<std::string>>>>
ReadImagesTogether(TMetadataTool& tool, const std::vector<std::string>& paths,
                   const std::vector<std::string>& extraTags)
{
    if (paths.size() < 2 || !tool.SeparatesFiles())
        return std::nullopt;
    std::vector<std::optional<std::vector<std::string>>> readings(paths.size());
    std::vector<std::size_t> present;
    std::vector<std::string> toolPaths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (FileExists(paths[i])) {
            present.push_back(i);
            toolPaths.push_back(ToolArgumentPath(paths[i]));
        }
    }
    if (present.size() < 2)
        return std::nullopt;
    std::optional<std::vector<std::vector<std::string>>> pieces;
    try {
        pieces = SplitFileOutput(RunImageTags(tool, toolPaths, extraTags), toolPaths);
    } catch (const std::exception&) {
        return std::nullopt; // one by one, each image meets the failure itself
    }
    if (!pieces)
        return std::nullopt;
    for (std::size_t k = 0; k < present.size(); ++k)
        readings[present[k]] = std::move((*pieces)[k]);
    return readings;
}

} // namespace zelmaro
