#include "palm/PalmDesktopFile.h"
#include "platform/DirectoryScan.h"
#include "platform/MemoryRegistryStore.h"
#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/MessageBoxes.h"
#include "support/Paths.h"
#include "support/Strings.h"
#include "workflow/Workflow.h"

#include <exception>
#include <iterator>
#include <memory>

namespace zelmaro {

namespace {

constexpr std::string_view kLogTitle = "Zelmaro";
constexpr std::size_t kStampLength = 12;

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

void TWorkflow::ParseShotLog(const std::vector<std::string>& lines)
{
    if (lines.size() < 2 || lines.front() != kLogTitle)
        return;
    const TSplitOptions options{.SkipRepeated = true, .SkipLeading = true, .SkipEmptyLast = true};
    for (auto line = std::next(lines.begin()); line != lines.end(); ++line) {
        for (const std::string& piece : SplitString(*line, "-", options)) {
            if (piece.size() <= kStampLength)
                continue;
            const auto parts = StampParts(piece);
            if (!parts)
                continue;
            // An impossible moment ends the whole parse.
            const double moment = EncodeDateTime(*parts, FSettings);
            const auto exposure = TryTextToFloat(std::string_view(piece).substr(kStampLength),
                                                 FSettings.DecimalSeparator);
            if (!exposure)
                continue;
            AddShot({static_cast<std::uint32_t>(DaysToSeconds(moment)), *exposure});
        }
    }
}

bool TWorkflow::ReadShotFile(const std::string& path)
{
    ClearShots();
    if (!FileExists(path)) {
        FHost.SetDirectoryText("");
        FHost.ShowWarning("In diesem Verzeichnis existiert keine Datei \"Zelmaro.txt\"!",
                          kAppCaption);
        return false;
    }
    try {
        // A FIFO or a device named like the log would never end.
        const std::optional<std::string> text = ReadWholeFile(path);
        if (!text)
            return false;
        ParseShotLog(SplitTextLines(*text));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

std::vector<std::string> LogMemoLines(const std::vector<std::string>& memoTexts)
{
    std::vector<std::string> collected;
    for (const std::string& text : memoTexts) {
        std::vector<std::string> lines = SplitTextLines(text);
        if (lines.size() >= 2 && lines.front() == kLogTitle)
            collected.insert(collected.end(), std::make_move_iterator(lines.begin()),
                             std::make_move_iterator(lines.end()));
    }
    return collected;
}

bool TWorkflow::ReadShotMemo(std::int32_t userID)
{
    ClearShots();
    try {
        static const MemoryRegistryStore noRegistry;
        const TPalmDesktopMemoFile file(userID, FPalmRegistry ? *FPalmRegistry : noRegistry);
        std::vector<std::string> texts;
        texts.reserve(file.Memos.size());
        for (const TPalmDesktopMemo& memo : file.Memos)
            texts.push_back(memo.Text);
        ParseShotLog(LogMemoLines(texts));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void TWorkflow::ReadLogMemo(std::optional<std::int32_t> userID)
{
    if (!userID)
        return;
    ReadShotMemo(*userID);
    MatchAll();
}

void TWorkflow::ReadLogFile()
{
    ReadShotFile(JoinPath(FHost.DirectoryText(), "Zelmaro.txt"));
    MatchAll();
}

} // namespace zelmaro
