#pragma once

#include "cli/CliOptions.h"
#include "workflow/Matching.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelmaro {

class TWorkflow;

// Writes the table's rows with their check marks and the six column texts
// (as JSON: the array of row objects).
void WriteTable(std::ostream& out, const TWorkflow& flow, TOutputFormat format);

// The "autoOffset" member's value: offset, pairs, runnerUp, runnerUpPairs
// and best, or null when there was no offset to find.
std::string JsonAutoOffset(const std::optional<TAutoOffsetReport>& report);

// A JSON object whose members keep the order they were added in.
class TJsonObject {
public:
    // json: the member's value as JSON text.
    void Add(std::string key, std::string json);
    // A value written when the object is: a table of millions of rows is
    // never held as one text.
    void Add(std::string key, std::function<void(std::ostream&)> write);
    // The object on several lines, ending with a line end.
    void Write(std::ostream& out) const;
    std::string Text() const;

private:
    std::vector<std::pair<std::string, std::function<void(std::ostream&)>>> FMembers;
};

// A JSON string of any bytes: valid UTF-8 as it is, every other byte read
// as Latin-1, so that the text is always valid JSON; control characters
// (C0, DEL, C1) as \u escapes, so that the document is safe on a terminal.
std::string JsonString(std::string_view text);
// A JSON array of strings.
std::string JsonStrings(const std::vector<std::string>& texts);
// The table's rows as a JSON array of objects.
void WriteJsonRows(std::ostream& out, const TWorkflow& flow);

} // namespace zelmaro
