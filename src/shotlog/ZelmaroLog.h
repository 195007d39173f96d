#pragma once

#include "platform/FormatSettings.h"
#include "shotlog/ShotEntry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The entries of a shot log in log order and, when an impossible moment
// ended the parse, why; the entries before it are kept.
struct TShotLogParse {
    std::vector<TShotItem> Shots;
    std::optional<std::string> Error;
    bool IsLog = false; // the first line is the title (or the format was recognised)
    // Lines after the title with text but no entry (those an impossible
    // moment left unread too); blank lines and later titles are not counted.
    std::size_t PassedOver = 0;
};

// Whether a line is the title "Zelmaro" (blanks after it do not count).
bool IsZelmaroTitle(std::string_view line);

// Reads a log text's lines: nothing unless the first is "Zelmaro" (blanks
// after it do not count);
// on the further lines every "-"-separated piece longer than 12 characters
// that starts with six two-digit numbers (YYMMDDhhmmss, year 20YY) followed
// by a number (with a decimal comma or point, whatever the settings say) is
// an entry.
TShotLogParse ParseShotLog(const std::vector<std::string>& lines, const FormatSettings& settings);

// Splits a text into lines at CR LF, a lone CR or a lone LF; a line end at
// the very end adds no empty line.
std::vector<std::string> SplitTextLines(std::string_view text);

// The lines of every log memo (two lines or more, the first "Zelmaro" with
// nothing but blanks after it), memo after memo, each with its title line.
std::vector<std::string> LogMemoLines(const std::vector<std::string>& memoTexts);

// The Palm Desktop source: the entries of a user's log memos.
TShotLogParse ParseMemoLog(const std::vector<std::string>& memoTexts,
                           const FormatSettings& settings);

} // namespace zelmaro
