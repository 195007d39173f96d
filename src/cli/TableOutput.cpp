#include "TableOutput.h"

#include "Workflow.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace zelmaro {

namespace {

constexpr std::array<const char*, TWorkflow::kColumnCount> kHeaders = {
    "Bildname", "Bilddatum", "Verschlusszeit", "=", "Aufnahmedatum", "Verschlusszeit"};
constexpr std::array<const char*, TWorkflow::kColumnCount> kJsonKeys = {
    "image", "imageDate", "imageExposure", "time", "shotDate", "shotExposure"};

// Characters on screen of a UTF-8 text.
std::size_t DisplayWidth(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

using Row = std::array<std::string, TWorkflow::kColumnCount + 1>;

std::vector<Row> Rows(const TWorkflow& flow, const TImageTable& table)
{
    std::vector<Row> rows;
    for (int r = 0; r < table.RowCount(); ++r) {
        Row row;
        row[0] = table.IsChecked(r) ? "x" : "";
        if (const TMatchItem* item = table.RowItem(r)) {
            for (int c = 0; c < TWorkflow::kColumnCount; ++c)
                row[static_cast<std::size_t>(c) + 1] = flow.CellText(*item, c);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void WritePlain(std::ostream& out, const std::vector<Row>& rows)
{
    Row header;
    header[0] = "";
    std::copy(kHeaders.begin(), kHeaders.end(), header.begin() + 1);
    std::array<std::size_t, Row().size()> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = DisplayWidth(header[c]);
    widths[0] = 3;
    for (const Row& row : rows) {
        for (std::size_t c = 1; c < row.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    auto line = [&](const Row& row, bool isHeader) {
        std::string text = isHeader ? "   " : (row[0].empty() ? "[ ]" : "[x]");
        for (std::size_t c = 1; c < row.size(); ++c) {
            text += "  ";
            text += row[c];
            if (c + 1 < row.size())
                text.append(widths[c] - DisplayWidth(row[c]), ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out << text << '\n';
    };
    line(header, true);
    for (const Row& row : rows)
        line(row, false);
}

std::string CsvField(const std::string& text, char separator)
{
    if (text.find_first_of(std::string("\"\r\n") + separator) == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void WriteCsv(std::ostream& out, const std::vector<Row>& rows, char decimalSeparator)
{
    // Where the comma is the decimal separator, spreadsheets expect ";".
    const char separator = decimalSeparator == ',' ? ';' : ',';
    out << "Eintragen";
    for (const char* header : kHeaders)
        out << separator << CsvField(header, separator);
    out << '\n';
    for (const Row& row : rows) {
        out << (row[0].empty() ? "0" : "1");
        for (std::size_t c = 1; c < row.size(); ++c)
            out << separator << CsvField(row[c], separator);
        out << '\n';
    }
}

// Length of the valid UTF-8 sequence at the start of text, or 0.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // bounds of the second byte: no overlong form,
    unsigned char high = 0xBF; // no surrogate, nothing beyond U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    while (!text.empty()) {
        const auto u = static_cast<unsigned char>(text.front());
        std::size_t length = 1;
        if (text.front() == '"' || text.front() == '\\') {
            json += '\\';
            json += text.front();
        } else if (u < 0x20 || (u >= 0x80 && (length = Utf8SequenceLength(text)) == 0)) {
            length = 1;
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            json += escape;
        } else {
            json.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return json + '"';
}

std::string JsonStrings(const std::vector<std::string>& texts)
{
    std::string json = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        json += (i ? ", " : "") + JsonString(texts[i]);
    return json + "]";
}

std::string JsonRows(const TWorkflow& flow, const TImageTable& table)
{
    const std::vector<Row> rows = Rows(flow, table);
    std::string json = "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        json += r ? ",\n " : "\n ";
        json += "{\"checked\": ";
        json += row[0].empty() ? "false" : "true";
        for (std::size_t c = 0; c < kJsonKeys.size(); ++c)
            json += ", \"" + std::string(kJsonKeys[c]) + "\": " + JsonString(row[c + 1]);
        json += "}";
    }
    return json + (rows.empty() ? "]" : "\n]");
}

void TJsonObject::Add(std::string key, std::string json)
{
    FMembers.emplace_back(std::move(key), std::move(json));
}

std::string TJsonObject::Text() const
{
    std::string text = "{";
    for (std::size_t i = 0; i < FMembers.size(); ++i)
        text += (i ? ",\n" : "\n") + JsonString(FMembers[i].first) + ": " + FMembers[i].second;
    return text + "\n}\n";
}

void WriteTable(std::ostream& out, const TWorkflow& flow, const TImageTable& table,
                TOutputFormat format)
{
    const std::vector<Row> rows = Rows(flow, table);
    switch (format) {
    case TOutputFormat::ofTable:
        WritePlain(out, rows);
        break;
    case TOutputFormat::ofCsv:
        WriteCsv(out, rows, flow.Settings().DecimalSeparator);
        break;
    case TOutputFormat::ofJson:
        out << JsonRows(flow, table) << '\n';
        break;
    }
    out.flush();
}

} // namespace zelmaro
