#include "shotlog/ZelmaroLog.h"

#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/Strings.h"

#include <algorithm>
#include <iterator>

namespace zelmaro {

namespace {

constexpr std::string_view kLogTitle = "Zelmaro";
constexpr std::size_t kStampLength = 12;

} // namespace

// Editors leave blanks or a CR behind the title where nobody sees them.
bool IsZelmaroTitle(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
        line.remove_suffix(1);
    return line == kLogTitle;
}

namespace {

// The date part of a piece: six two-digit numbers.
std::optional<TDateTimeParts> StampParts(std::string_view piece)
{
    int values[6] = {};
    for (int i = 0; i < 6; ++i) {
        const auto value = TryStrToInt(piece.substr(static_cast<std::size_t>(i) * 2, 2));
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    TDateTimeParts parts;
    parts.Year = 2000 + values[0];
    parts.Month = values[1];
    parts.Day = values[2];
    parts.Hour = values[3];
    parts.Minute = values[4];
    parts.Second = values[5];
    parts.MilliSecond = 0;
    return parts;
}

} // namespace

std::vector<std::string> SplitTextLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

TShotLogParse ParseShotLog(const std::vector<std::string>& lines, const FormatSettings& settings)
{
    TShotLogParse parse;
    parse.IsLog = !lines.empty() && IsZelmaroTitle(lines.front());
    if (!parse.IsLog)
        return parse;
    // A line with text that gave no entry; a later title (the next memo's) is none.
    const auto passedOver = [](const std::string& line) {
        return !TrimBlanks(line).empty() && !IsZelmaroTitle(line);
    };
    const TSplitOptions options{.SkipRepeated = true, .SkipLeading = true, .SkipEmptyLast = true};
    for (auto line = std::next(lines.begin()); line != lines.end(); ++line) {
        const std::size_t before = parse.Shots.size();
        for (const std::string& piece : SplitString(*line, "-", options)) {
            if (piece.size() <= kStampLength)
                continue;
            const auto parts = StampParts(piece);
            if (!parts)
                continue;
            double moment = 0;
            try {
                moment = EncodeDateTime(*parts, settings);
            } catch (const ConversionError& error) {
                // An impossible moment ends the whole parse; what is left
                // unread was passed over.
                parse.Error = error.what();
                if (parse.Shots.size() == before && passedOver(*line))
                    ++parse.PassedOver;
                parse.PassedOver += static_cast<std::size_t>(
                    std::count_if(std::next(line), lines.end(), passedOver));
                return parse;
            }
            // A log written under another locale than the reader's: "0,5"
            // and "0.5" are both read.
            const std::string_view number = std::string_view(piece).substr(kStampLength);
            auto exposure = TryTextToFloat(number, settings.DecimalSeparator);
            if (!exposure)
                exposure = TryTextToFloat(number, settings.DecimalSeparator == ',' ? '.' : ',');
            if (!exposure)
                continue;
            parse.Shots.push_back({static_cast<std::uint32_t>(DaysToSeconds(moment)), *exposure});
        }
        if (parse.Shots.size() == before && passedOver(*line))
            ++parse.PassedOver;
    }
    return parse;
}

std::vector<std::string> LogMemoLines(const std::vector<std::string>& memoTexts)
{
    std::vector<std::string> collected;
    for (const std::string& text : memoTexts) {
        std::vector<std::string> lines = SplitTextLines(text);
        if (lines.size() >= 2 && IsZelmaroTitle(lines.front()))
            collected.insert(collected.end(), std::make_move_iterator(lines.begin()),
                             std::make_move_iterator(lines.end()));
    }
    return collected;
}

TShotLogParse ParseMemoLog(const std::vector<std::string>& memoTexts,
                           const FormatSettings& settings)
{
    return ParseShotLog(LogMemoLines(memoTexts), settings);
}

} // namespace zelmaro
