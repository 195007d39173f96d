#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The separator a table's line most likely uses: the most frequent of ",",
// ";" and tab outside quotes; "," when there is none.
char GuessSeparator(std::string_view line);

// Reads the records of a character-separated table one after the other:
// fields may be quoted ("" for a quote, separators and line ends inside),
// spreadsheets' ="text" counts as quoted, blanks around a field go. Lines
// end at CR LF, CR or LF.
class TTableReader {
public:
    TTableReader(std::string_view text, char separator) : FText(text), FSeparator(separator) {}

    // The next record's fields into cells; false at the end.
    bool Next(std::vector<std::string>& cells);
    // Where the next record starts.
    std::size_t Position() const { return FPos; }
    void Seek(std::size_t position) { FPos = position; }

private:
    std::string_view FText;
    char FSeparator;
    std::size_t FPos = 0;
};

// A JSON array of objects as a table: the keys in the order they first
// appear are the header, each object a record (a key it lacks is empty).
// Strings are given unescaped, numbers as written, true/false/null as words;
// a nested value is empty. nullopt when the text is no such array.
struct TJsonTable {
    std::vector<std::string> Header;
    std::vector<std::vector<std::string>> Records;
};
std::optional<TJsonTable> ParseJsonTable(std::string_view text);

// Whether the text, blanks aside, starts as a JSON array.
bool LooksLikeJsonArray(std::string_view text);

} // namespace zelmaro
