#include "workflow/ShotLog.h"

#include "palm/PalmDesktopFile.h"
#include "platform/DirectoryScan.h"
#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/MessageBoxes.h"
#include "support/Paths.h"
#include "support/Strings.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace zelmaro {

namespace {

constexpr std::string_view kLogTitle = "Zelmaro";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kStampLength = 12;

// Editors leave blanks or a CR behind the title where nobody sees them.
bool IsTitle(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
        line.remove_suffix(1);
    return line == kLogTitle;
}

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
    parse.IsLog = !lines.empty() && IsTitle(lines.front());
    if (!parse.IsLog)
        return parse;
    // A line with text that gave no entry; a later title (the next memo's) is none.
    const auto passedOver = [](const std::string& line) {
        return !TrimBlanks(line).empty() && !IsTitle(line);
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
            const auto exposure = TryTextToFloat(std::string_view(piece).substr(kStampLength),
                                                 settings.DecimalSeparator);
            if (!exposure)
                continue;
            parse.Shots.push_back({static_cast<std::uint32_t>(DaysToSeconds(moment)), *exposure});
        }
        if (parse.Shots.size() == before && passedOver(*line))
            ++parse.PassedOver;
    }
    return parse;
}

namespace {

std::string LogStatus(std::size_t entries, std::size_t passedOver)
{
    return std::to_string(entries) + (entries == 1 ? " Eintrag" : " Einträge") + " gelesen, " +
           std::to_string(passedOver) + (passedOver == 1 ? " Zeile" : " Zeilen") + " übergangen";
}

// Why a log file gave no entry at all.
std::string NoEntryReason(const std::string& text, const TShotLogParse& parse)
{
    if (TrimBlanks(text).empty())
        return "ist leer.";
    if (!parse.IsLog)
        return "ist kein Protokoll: die erste Zeile ist nicht \"" + std::string(kLogTitle) + "\".";
    if (parse.Error)
        return "enthält keinen Eintrag: " + *parse.Error + ".";
    return "enthält keinen Eintrag.";
}

} // namespace

bool TWorkflow::ParseShotLog(const std::vector<std::string>& lines)
{
    return AddLogEntries(zelmaro::ParseShotLog(lines, FSettings));
}

bool TWorkflow::AddLogEntries(TShotLogParse parse)
{
    ShowStatus(LogStatus(parse.Shots.size(), parse.PassedOver));
    for (TShotItem& shot : parse.Shots)
        AddShot(std::move(shot));
    return !parse.Error;
}

bool TWorkflow::ReadShotFile(const std::string& path)
{
    ClearShots();
    if (!FileExists(path)) {
        AddLogEntries({});
        FHost.ShowWarning("In diesem Verzeichnis existiert keine Datei \"" +
                              std::string(kLogFileName) + "\"!",
                          kAppCaption);
        return false;
    }
    const auto unusable = [&](const std::string& why) {
        FHost.ShowWarning("Die Datei \"" + path + "\" " + why, kAppCaption);
    };
    // A FIFO or a device named like the log would never end: only a regular
    // file is opened.
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        AddLogEntries({});
        std::error_code error;
        unusable(std::filesystem::is_regular_file(path, error) ? "ließ sich nicht lesen."
                                                               : "ist keine gewöhnliche Datei.");
        return false;
    }
    // Editors on Windows begin a UTF-8 file with a byte-order mark.
    if (text->starts_with(kByteOrderMark))
        text->erase(0, kByteOrderMark.size());
    TShotLogParse parse = zelmaro::ParseShotLog(SplitTextLines(*text), FSettings);
    const std::string why = parse.Shots.empty() ? NoEntryReason(*text, parse) : "";
    const bool complete = AddLogEntries(std::move(parse));
    if (!why.empty())
        unusable(why);
    return complete;
}

std::vector<std::string> LogMemoLines(const std::vector<std::string>& memoTexts)
{
    std::vector<std::string> collected;
    for (const std::string& text : memoTexts) {
        std::vector<std::string> lines = SplitTextLines(text);
        if (lines.size() >= 2 && IsTitle(lines.front()))
            collected.insert(collected.end(), std::make_move_iterator(lines.begin()),
                             std::make_move_iterator(lines.end()));
    }
    return collected;
}

bool TWorkflow::ReadShotMemo(std::int32_t userID)
{
    ClearShots();
    // Without a store there is no Palm Desktop to read from.
    if (FPalmRegistry == nullptr)
        return AddLogEntries({});
    const TResult<TPalmDesktopMemoFile> file =
        TPalmDesktopMemoFile::ForUser(userID, *FPalmRegistry);
    // An unreadable memo database reads as an empty log, without a message box.
    if (!file) {
        AddLogEntries({});
        return false;
    }
    std::vector<std::string> texts;
    texts.reserve(file->Memos.size());
    for (const TPalmDesktopMemo& memo : file->Memos)
        texts.push_back(memo.Text);
    return ParseShotLog(LogMemoLines(texts));
}

void TWorkflow::ReadLogMemo(std::optional<std::int32_t> userID)
{
    if (!userID)
        return;
    ReadShotMemo(*userID);
    MatchAll();
}

TDirectoryField TWorkflow::ReadLogFile(const std::string& directory)
{
    const std::string path = JoinPath(directory, std::string(kLogFileName));
    const bool missing = !FileExists(path);
    ReadShotFile(path);
    MatchAll();
    return missing ? TDirectoryField::dfEmpty : TDirectoryField::dfKeep;
}

} // namespace zelmaro
