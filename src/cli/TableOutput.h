#pragma once

#include "CliOptions.h"

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelmaro {

class TWorkflow;
class TImageTable;

// Writes the table's rows with their check marks and the six column texts
// (as JSON: the array of row objects).
void WriteTable(std::ostream& out, const TWorkflow& flow, const TImageTable& table,
                TOutputFormat format);

// A JSON object whose members keep the order they were added in.
class TJsonObject {
public:
    // json: the member's value as JSON text.
    void Add(std::string key, std::string json);
    // The object on several lines, ending with a line end.
    std::string Text() const;

private:
    std::vector<std::pair<std::string, std::string>> FMembers;
};

// A JSON string of any bytes: valid UTF-8 as it is, every other byte read
// as Latin-1, so that the text is always valid JSON.
std::string JsonString(std::string_view text);
// A JSON array of strings.
std::string JsonStrings(const std::vector<std::string>& texts);
// The table's rows as a JSON array of objects.
std::string JsonRows(const TWorkflow& flow, const TImageTable& table);

} // namespace zelmaro
