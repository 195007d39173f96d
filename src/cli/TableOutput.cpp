#include "cli/TableOutput.h"

#include "cli/ConsoleText.h"
#include "support/DateTime.h"
#include "support/FormatText.h"
#include "support/Messages.h"
#include "support/Utf8.h"
#include "workflow/ExposureSet.h"
#include "workflow/Workflow.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iomanip>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace zelmaro {

namespace {

// The column titles in the user's language.
std::array<std::string, kColumnCount> Headers()
{
    return {Tr("Bildname"),      Tr("Bilddatum"),     Tr("Verschlusszeit"), "=",
            Tr("Aufnahmedatum"), Tr("Verschlusszeit")};
}
constexpr std::array<const char*, kColumnCount> kJsonKeys = {"image", "imageDate", "imageExposure",
                                                             "time",  "shotDate",  "shotExposure"};

// Characters on screen of a UTF-8 text.
std::size_t DisplayWidth(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

using Row = std::array<std::string, kColumnCount + 1>;

// The table's rows, each made when it is asked for: a log of millions of
// entries is never held as text a second time.
class TRows {
public:
    explicit TRows(const TWorkflow& flow) : FFlow(flow) {}

    std::size_t size() const { return FFlow.Matches().size(); }
    bool empty() const { return size() == 0; }
    Row operator[](std::size_t index) const
    {
        const TMatchItem& item = FFlow.Matches()[index];
        Row row;
        row[0] = item.Checked ? "x" : "";
        for (int c = 0; c < kColumnCount; ++c)
            row[static_cast<std::size_t>(c) + 1] = FFlow.CellText(item, c);
        return row;
    }

    class Iterator {
    public:
        Iterator(const TRows& rows, std::size_t index) : FRows(rows), FIndex(index) {}
        Row operator*() const { return FRows[FIndex]; }
        Iterator& operator++()
        {
            ++FIndex;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return FIndex != other.FIndex; }

    private:
        const TRows& FRows;
        std::size_t FIndex;
    };
    Iterator begin() const { return {*this, 0}; }
    Iterator end() const { return {*this, size()}; }

private:
    const TWorkflow& FFlow;
};

void WritePlain(std::ostream& out, const TRows& rows)
{
    Row header;
    header[0] = "";
    const auto headers = Headers();
    std::copy(headers.begin(), headers.end(), header.begin() + 1);
    std::array<std::size_t, std::tuple_size_v<Row>> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = DisplayWidth(header[c]);
    widths[0] = 3;
    // The cells as the terminal shows them.
    const auto visible = [](Row row) {
        for (std::string& cell : row)
            cell = ConsoleText(cell);
        return row;
    };
    for (const Row& row : rows) {
        const Row shown = visible(row);
        for (std::size_t c = 1; c < shown.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(shown[c]));
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
        line(visible(row), false);
}

// A cell on one line: control characters made visible, and a cell that a
// spreadsheet would take for a formula led by "'", whatever it holds.
std::string CsvField(const std::string& text, char separator)
{
    std::string cell = ConsoleText(text);
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        cell.insert(0, 1, '\'');
    if (cell.find_first_of(std::string("\"") + separator) == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void WriteCsv(std::ostream& out, const TRows& rows, char decimalSeparator)
{
    // Where the comma is the decimal separator, spreadsheets expect ";".
    const char separator = decimalSeparator == ',' ? ';' : ',';
    out << Tr("Eintragen");
    for (const std::string& header : Headers())
        out << separator << CsvField(header, separator);
    out << '\n';
    for (const Row& row : rows) {
        out << (row[0].empty() ? "0" : "1");
        for (std::size_t c = 1; c < row.size(); ++c)
            out << separator << CsvField(row[c], separator);
        out << '\n';
    }
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string json = "\"";
    while (!text.empty()) {
        const auto u = static_cast<unsigned char>(text.front());
        std::size_t length = 1;
        const auto escape = [&json](unsigned code) {
            char text[8];
            std::snprintf(text, sizeof text, "\\u%04x", code);
            json += text;
        };
        if (text.front() == '"' || text.front() == '\\') {
            json += '\\';
            json += text.front();
        } else if (u < 0x20 || u == 0x7F ||
                   (u >= 0x80 && (length = Utf8SequenceLength(text, 0)) == 0)) {
            length = 1;
            escape(u);
        } else if (u == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            // C1 controls, which some terminals obey even in UTF-8.
            escape(static_cast<unsigned char>(text[1]));
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

namespace {

std::string JsonNumber(double value)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setprecision(15) << value;
    return text.str();
}

// What a log of today says beyond moment and exposure time, where it says it.
void WriteJsonShotFields(std::ostream& out, const TShotItem* shot)
{
    if (!shot)
        return;
    const auto number = JsonNumber;
    if (!shot->FileName.empty())
        out << ", \"shotFile\": " << JsonString(shot->FileName);
    if (shot->Frame)
        out << ", \"frame\": " << *shot->Frame;
    if (shot->Aperture)
        out << ", \"aperture\": " << number(*shot->Aperture);
    if (shot->ISO)
        out << ", \"iso\": " << *shot->ISO;
    if (shot->FocalLength)
        out << ", \"focalLength\": " << number(*shot->FocalLength);
    if (!shot->Lens.empty())
        out << ", \"lens\": " << JsonString(shot->Lens);
}

// What the image holds of the whole set, where it was read (--write-all),
// and which logged values differ from it.
void WriteJsonImageValues(std::ostream& out, const TWorkflow& flow, const TMatchItem& item)
{
    if (!item.Image || !flow.WriteAll())
        return;
    const TImageValues& values = item.Image->Values;
    if (values.Aperture)
        out << ", \"imageAperture\": " << JsonNumber(*values.Aperture);
    if (values.ISO)
        out << ", \"imageIso\": " << *values.ISO;
    if (values.FocalLength)
        out << ", \"imageFocalLength\": " << JsonNumber(*values.FocalLength);
    if (!values.Lens.empty())
        out << ", \"imageLens\": " << JsonString(values.Lens);
    if (values.ShotDate != 0)
        out << ", \"imageDateTimeOriginal\": "
            << JsonString(DateTimeText(SecondsToDays(values.ShotDate), flow.Settings()));
    if (!item.ValuesDiffer)
        return;
    std::vector<std::string> keys;
    for (TSetValue value : DifferingValues(flow.LoggedSet(*item.Shot), values)) {
        switch (value) {
        case TSetValue::svAperture:
            keys.emplace_back("aperture");
            break;
        case TSetValue::svISO:
            keys.emplace_back("iso");
            break;
        case TSetValue::svFocalLength:
            keys.emplace_back("focalLength");
            break;
        case TSetValue::svLens:
            keys.emplace_back("lens");
            break;
        case TSetValue::svShotDate:
            keys.emplace_back("dateTimeOriginal");
            break;
        }
    }
    out << ", \"differs\": " << JsonStrings(keys);
}

} // namespace

void WriteJsonRows(std::ostream& out, const TWorkflow& flow)
{
    const TRows rows(flow);
    out << "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row row = rows[r];
        out << (r ? ",\n " : "\n ") << "{\"checked\": " << (row[0].empty() ? "false" : "true");
        for (std::size_t c = 0; c < kJsonKeys.size(); ++c)
            out << ", \"" << kJsonKeys[c] << "\": " << JsonString(row[c + 1]);
        if (const TImageItem* image = flow.Matches()[r].Image; image && image->ExposureFromSidecar)
            out << ", \"imageExposureFromSidecar\": true";
        WriteJsonShotFields(out, flow.Matches()[r].Shot);
        WriteJsonImageValues(out, flow, flow.Matches()[r]);
        out << "}";
    }
    out << (rows.empty() ? "]" : "\n]");
}

void TJsonObject::Add(std::string key, std::string json)
{
    FMembers.emplace_back(std::move(key),
                          [json = std::move(json)](std::ostream& out) { out << json; });
}

void TJsonObject::Add(std::string key, std::function<void(std::ostream&)> write)
{
    FMembers.emplace_back(std::move(key), std::move(write));
}

void TJsonObject::Write(std::ostream& out) const
{
    out << "{";
    for (std::size_t i = 0; i < FMembers.size(); ++i) {
        out << (i ? ",\n" : "\n") << JsonString(FMembers[i].first) << ": ";
        FMembers[i].second(out);
    }
    out << "\n}\n";
}

std::string TJsonObject::Text() const
{
    std::ostringstream text;
    Write(text);
    return text.str();
}

std::string JsonAutoOffset(const std::optional<TAutoOffsetReport>& report)
{
    if (!report)
        return "null";
    return "{\"offset\": " + std::to_string(report->Offset) +
           ", \"pairs\": " + std::to_string(report->Pairs) +
           ", \"runnerUp\": " + (report->RunnerUp ? std::to_string(*report->RunnerUp) : "null") +
           ", \"runnerUpPairs\": " + std::to_string(report->RunnerUpPairs) +
           ", \"best\": " + std::to_string(report->Best) + "}";
}

void WriteTable(std::ostream& out, const TWorkflow& flow, TOutputFormat format)
{
    const TRows rows(flow);
    switch (format) {
    case TOutputFormat::ofTable:
        WritePlain(out, rows);
        break;
    case TOutputFormat::ofCsv:
        WriteCsv(out, rows, flow.Settings().DecimalSeparator);
        break;
    case TOutputFormat::ofJson:
        WriteJsonRows(out, flow);
        out << '\n';
        break;
    }
    out.flush();
}

} // namespace zelmaro
