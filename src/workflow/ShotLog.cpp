#include "workflow/ShotLog.h"

#include "palm/PalmDesktopFile.h"
#include "platform/DirectoryScan.h"
#include "shotlog/LogSource.h"
#include "shotlog/Table.h"
#include "support/Conversions.h"
#include "support/DateTime.h"
#include "support/MessageBoxes.h"
#include "support/Messages.h"
#include "support/Paths.h"
#include "support/Strings.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

namespace zelmaro {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kZelmaroFormat = "Zelmaro-Protokoll";

std::string LogStatus(std::size_t entries, std::size_t passedOver, std::string_view format)
{
    std::string status =
        Fill(Tr("%1, %2"), Fill(TrN("%1 Eintrag gelesen", "%1 Einträge gelesen", entries), entries),
             Fill(TrN("%1 Zeile übergangen", "%1 Zeilen übergangen", passedOver), passedOver));
    // The old log says nothing of its format; a log of today names it.
    if (!format.empty() && format != kZelmaroFormat)
        status = Fill(Tr("%1 (%2)"), status, format);
    return status;
}

// Why a log file gave no entry at all. The directory's own log was looked
// for by its name, so there the title is what was expected.
std::string NoEntryReason(const std::string& text, const TShotLogParse& parse, bool besideImages)
{
    if (TrimBlanks(text).empty())
        return Tr("ist leer.");
    if (!parse.IsLog && besideImages)
        return Tr("ist kein Protokoll: die erste Zeile ist nicht \"Zelmaro\".");
    if (!parse.IsLog)
        return Fill(Tr("ist kein Protokoll, das Zelmaro kennt: %1."), ExpectedLogFormats());
    if (parse.Error)
        return Fill(Tr("enthält keinen Eintrag: %1."), *parse.Error);
    return Tr("enthält keinen Eintrag.");
}

} // namespace

bool TWorkflow::ParseShotLog(const std::vector<std::string>& lines)
{
    return AddLogEntries(zelmaro::ParseShotLog(lines, FSettings), kZelmaroFormat);
}

bool TWorkflow::AddLogEntries(TShotLogParse parse, std::string_view format)
{
    FLogFormat = format;
    ShowStatus(LogStatus(parse.Shots.size(), parse.PassedOver, format));
    for (TShotItem& shot : parse.Shots)
        AddShot(std::move(shot));
    return !parse.Error;
}

std::optional<TWorkflow::TUnknownTable> TWorkflow::UnknownTable(const std::string& path) const
{
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text)
        return std::nullopt;
    std::string_view rest = *text;
    if (rest.starts_with(kByteOrderMark))
        rest.remove_prefix(kByteOrderMark.size());
    for (const auto& source : LogSources({FSettings, std::nullopt}))
        if (source->Recognises(rest))
            return std::nullopt;
    // The first line with text is the header.
    while (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n'))
        rest.remove_prefix(1);
    const std::string_view line = rest.substr(0, rest.find_first_of("\r\n"));
    TTableReader reader(line, GuessSeparator(line));
    TUnknownTable table{std::string(line), {}};
    if (!reader.Next(table.Columns) || table.Columns.size() < 2)
        return std::nullopt;
    return table;
}

bool TWorkflow::ReadShotFile(const std::string& path)
{
    return ReadShotFile(path, false);
}

bool TWorkflow::ReadShotFile(const std::string& path, bool besideImages)
{
    ClearShots();
    if (!FileExists(path)) {
        AddLogEntries({});
        FHost.ShowWarning(
            Fill(Tr("In diesem Verzeichnis existiert keine Datei \"%1\"!"), kLogFileName),
            kAppCaption);
        return false;
    }
    const auto unusable = [&](const std::string& why) {
        FHost.ShowWarning(Fill(Tr("Die Datei \"%1\" %2"), path, why), kAppCaption);
    };
    // A FIFO or a device named like the log would never end: only a regular
    // file is opened.
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        AddLogEntries({});
        std::error_code error;
        unusable(std::filesystem::is_regular_file(path, error)
                     ? Tr("ließ sich nicht lesen.")
                     : Tr("ist keine gewöhnliche Datei."));
        return false;
    }
    // Editors on Windows begin a UTF-8 file with a byte-order mark.
    if (text->starts_with(kByteOrderMark))
        text->erase(0, kByteOrderMark.size());
    TLogTextRead read = ReadLogText(*text, {FSettings, FLogColumns});
    const std::string why =
        read.Parse.Shots.empty() ? NoEntryReason(*text, read.Parse, besideImages) : "";
    const bool complete = AddLogEntries(std::move(read.Parse), read.Format);
    if (!why.empty())
        unusable(why);
    return complete;
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
    return AddLogEntries(ParseMemoLog(texts, FSettings), kZelmaroFormat);
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
    ReadShotFile(path, true);
    MatchAll();
    return missing ? TDirectoryField::dfEmpty : TDirectoryField::dfKeep;
}

} // namespace zelmaro
