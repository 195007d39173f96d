#include "shotlog/LogSource.h"

#include "shotlog/LogValues.h"
#include "shotlog/Table.h"
#include "support/Messages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string_view>
#include <utility>

namespace zelmaro {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Preambles (a roll's data, a film's header) are a few lines long.
constexpr std::size_t kHeaderSearchLines = 64;

enum TField : std::size_t {
    fdMoment,
    fdDate,
    fdTimeOfDay,
    fdUtc,
    fdExposure,
    fdBulb,
    fdFile,
    fdFrame,
    fdAperture,
    fdISO,
    fdFocalLength,
    fdLens,
    kFieldCount
};

// A format of a table or a JSON array: the header names it must have (a
// "|" between names that may stand for each other) and the columns of each
// field (of "a|b" the first there is).
struct TLayout {
    std::string Name;
    bool Json = false;
    std::vector<std::string> Required;
    std::array<std::string, kFieldCount> Columns{};
    TDateOrder Order = TDateOrder::daAuto;
    std::string Pattern{}; // how the moment is written; empty: recognised
};

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::vector<std::string_view> Alternatives(std::string_view names)
{
    std::vector<std::string_view> list;
    while (!names.empty()) {
        const auto bar = names.find('|');
        list.push_back(names.substr(0, bar));
        names = bar == std::string_view::npos ? std::string_view() : names.substr(bar + 1);
    }
    return list;
}

std::optional<std::size_t> ColumnOf(const std::vector<std::string>& header, std::string_view names)
{
    for (const std::string_view name : Alternatives(names))
        for (std::size_t c = 0; c < header.size(); ++c)
            if (SameName(header[c], name))
                return c;
    return std::nullopt;
}

bool HasColumns(const TLayout& layout, const std::vector<std::string>& header)
{
    for (const std::string& required : layout.Required)
        if (!ColumnOf(header, required))
            return false;
    return true;
}

bool IsBlankRecord(const std::vector<std::string>& cells)
{
    for (const std::string& cell : cells)
        for (const char c : cell)
            if (static_cast<unsigned char>(c) > ' ')
                return false;
    return true;
}

bool SameRecord(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameName(a[i], b[i]))
            return false;
    return true;
}

std::optional<std::uint32_t> WholeNumber(std::string_view text)
{
    const auto value = LeadingNumber(text);
    if (!value || *value < 0 || *value > 4294967295.0 || *value != std::floor(*value))
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<double> Positive(std::string_view text)
{
    const auto value = LeadingNumber(text);
    return value && *value > 0 ? value : std::nullopt;
}

// Where a table's header is and what it says.
struct THeader {
    std::vector<std::string> Cells;
    char Separator = ',';
    std::size_t End = 0; // where the first record after it starts
};

class TTableSource : public TLogSource {
public:
    explicit TTableSource(TLayout layout) : FLayout(std::move(layout)) {}

    std::string Name() const override { return FLayout.Name; }

    bool Recognises(std::string_view text) const override
    {
        if (FLayout.Json)
            return LooksLikeJsonArray(text) && Json(text).has_value();
        return FindHeader(text).has_value();
    }

    TShotLogParse Read(std::string_view text) const override
    {
        TShotLogParse parse;
        if (FLayout.Json) {
            const auto table = Json(text);
            if (!table)
                return parse;
            parse.IsLog = true;
            const auto columns = Columns(table->Header);
            for (const auto& record : table->Records)
                Add(parse, columns, record);
            return parse;
        }
        const auto header = FindHeader(text);
        if (!header)
            return parse;
        parse.IsLog = true;
        const auto columns = Columns(header->Cells);
        TTableReader reader(text, header->Separator);
        reader.Seek(header->End);
        std::vector<std::string> cells;
        while (reader.Next(cells)) {
            // A log appended to by several runs repeats its header.
            if (IsBlankRecord(cells) || SameRecord(cells, header->Cells))
                continue;
            Add(parse, columns, cells);
        }
        return parse;
    }

private:
    TLayout FLayout;
    using TColumns = std::array<std::optional<std::size_t>, kFieldCount>;

    std::optional<TJsonTable> Json(std::string_view text) const
    {
        auto table = ParseJsonTable(text);
        if (!table || table->Records.empty() || !HasColumns(FLayout, table->Header))
            return std::nullopt;
        return table;
    }

    std::optional<THeader> FindHeader(std::string_view text) const
    {
        std::size_t start = 0;
        std::vector<std::string> cells;
        for (std::size_t line = 0; line < kHeaderSearchLines && start < text.size(); ++line) {
            const std::size_t end = text.find_first_of("\r\n", start);
            const std::string_view first =
                text.substr(start, end == std::string_view::npos ? text.npos : end - start);
            const char separator = GuessSeparator(first);
            TTableReader reader(text, separator);
            reader.Seek(start);
            if (reader.Next(cells) && HasColumns(FLayout, cells))
                return THeader{cells, separator, reader.Position()};
            if (end == std::string_view::npos)
                break;
            start = end + 1;
            if (text[end] == '\r' && start < text.size() && text[start] == '\n')
                ++start;
        }
        return std::nullopt;
    }

    TColumns Columns(const std::vector<std::string>& header) const
    {
        TColumns columns;
        for (std::size_t f = 0; f < kFieldCount; ++f)
            if (!FLayout.Columns[f].empty())
                columns[f] = ColumnOf(header, FLayout.Columns[f]);
        return columns;
    }

    std::optional<std::uint32_t> Moment(const std::string& text) const
    {
        return FLayout.Pattern.empty() ? ParseMoment(text, FLayout.Order)
                                       : ParseMomentWithPattern(text, FLayout.Pattern);
    }

    void Add(TShotLogParse& parse, const TColumns& columns,
             const std::vector<std::string>& cells) const
    {
        const auto cell = [&](TField field) -> const std::string& {
            static const std::string kNone;
            const auto column = columns[field];
            return column && *column < cells.size() ? cells[*column] : kNone;
        };
        std::optional<std::uint32_t> moment;
        // The local moment; a UTC one only where the log has no local one.
        if (columns[fdMoment])
            moment = Moment(cell(fdMoment));
        else if (columns[fdDate] && columns[fdTimeOfDay])
            moment = Moment(cell(fdDate) + " " + cell(fdTimeOfDay));
        if (!moment && cell(fdMoment).empty() && !cell(fdUtc).empty())
            moment = Moment(cell(fdUtc));
        // A bulb exposure's real length stands in a column of its own.
        std::optional<double> exposure = ParseExposureText(cell(fdBulb));
        if (!exposure)
            exposure = ParseExposureText(cell(fdExposure));
        if (!moment || !exposure) {
            ++parse.PassedOver;
            return;
        }
        TShotItem& shot = parse.Shots.emplace_back();
        shot.Date = *moment;
        shot.ExposureTime = *exposure;
        shot.FileName = cell(fdFile);
        shot.Frame = WholeNumber(cell(fdFrame));
        shot.Aperture = Positive(cell(fdAperture));
        shot.ISO = WholeNumber(cell(fdISO));
        shot.FocalLength = Positive(cell(fdFocalLength));
        shot.Lens = cell(fdLens);
    }
};

// The Zelmaro text: recognised by its title line.
class TZelmaroSource : public TLogSource {
public:
    explicit TZelmaroSource(FormatSettings settings) : FSettings(std::move(settings)) {}
    std::string Name() const override { return "Zelmaro-Protokoll"; }
    bool Recognises(std::string_view text) const override
    {
        const auto end = text.find_first_of("\r\n");
        return IsZelmaroTitle(text.substr(0, end));
    }
    TShotLogParse Read(std::string_view text) const override
    {
        return ParseShotLog(SplitTextLines(text), FSettings);
    }

private:
    FormatSettings FSettings;
};

std::array<std::string, kFieldCount>
Fields(std::initializer_list<std::pair<TField, std::string>> columns)
{
    std::array<std::string, kFieldCount> fields{};
    for (const auto& [field, names] : columns)
        fields[field] = names;
    return fields;
}

// The formats the devices and programs of today write, from their published layouts.
std::vector<TLayout> KnownLayouts()
{
    const auto nina = Fields({{fdMoment, "ExposureStart"},
                              {fdUtc, "ExposureStartUTC"},
                              {fdExposure, "Duration"},
                              {fdFile, "FilePath"},
                              {fdFrame, "ExposureNumber"}});
    const auto exifTags = Fields({{fdMoment, "DateTimeOriginal|CreateDate"},
                                  {fdExposure, "ExposureTime"},
                                  {fdFile, "SourceFile|FileName"},
                                  {fdFrame, "ImageNumber"},
                                  {fdAperture, "FNumber"},
                                  {fdISO, "ISO"},
                                  {fdFocalLength, "FocalLength"},
                                  {fdLens, "LensModel|Lens"}});
    std::vector<TLayout> layouts;
    layouts.push_back({"N.I.N.A. Session Metadata (JSON)",
                       true,
                       {"ExposureNumber", "ExposureStart|ExposureStartUTC", "Duration"},
                       nina});
    layouts.push_back({Tr("JSON mit exiftool-Namen (Lightme Logbook, exiftool -json)"),
                       true,
                       {"DateTimeOriginal|CreateDate", "ExposureTime"},
                       exifTags});
    layouts.push_back({"CHDK rawopint (CSV)",
                       false,
                       {"date", "time", "tick", "exp", "tv"},
                       Fields({{fdDate, "date"},
                               {fdTimeOfDay, "time"},
                               {fdExposure, "tv"},
                               {fdFrame, "exp"},
                               {fdAperture, "av"},
                               {fdISO, "sv"}})});
    layouts.push_back({"N.I.N.A. Session Metadata (CSV)",
                       false,
                       {"ExposureNumber", "ExposureStart|ExposureStartUTC", "Duration"},
                       nina});
    layouts.push_back({"Exif Notes (CSV)",
                       false,
                       {"Frame Count", "Date", "Shutter"},
                       Fields({{fdMoment, "Date"},
                               {fdExposure, "Shutter"},
                               {fdFrame, "Frame Count"},
                               {fdAperture, "Aperture"},
                               {fdFocalLength, "Focal length"},
                               {fdLens, "Lens"}})});
    layouts.push_back({"Canon ES-E1 (EOS-1V, EOS-3; CSV)",
                       false,
                       {"Frame No.", "Tv", "Date", "Time"},
                       Fields({{fdDate, "Date"},
                               {fdTimeOfDay, "Time"},
                               {fdExposure, "Tv"},
                               {fdBulb, "Bulb exposure time"},
                               {fdFrame, "Frame No."},
                               {fdAperture, "Av"},
                               {fdISO, "ISO (M)"},
                               {fdFocalLength, "Focal length"}})});
    layouts.push_back({"Nikon MV-1 (F6, F5, F100; CSV)",
                       false,
                       {"Frame number", "Shutter speed", "Date(yy/mm/dd)", "Time"},
                       Fields({{fdDate, "Date(yy/mm/dd)"},
                               {fdTimeOfDay, "Time"},
                               {fdExposure, "Shutter speed"},
                               {fdFrame, "Frame number"},
                               {fdAperture, "Aperture"},
                               {fdFocalLength, "Focal length"}}),
                       TDateOrder::daYearFirst});
    layouts.push_back({"exiftool -csv",
                       false,
                       {"SourceFile", "DateTimeOriginal|CreateDate", "ExposureTime"},
                       exifTags});
    return layouts;
}

TLayout MappedLayout(const TColumnMapping& mapping)
{
    TLayout layout{Tr("Tabelle mit zugeordneten Spalten"), false, {mapping.Time, mapping.Exposure}};
    if (mapping.Date.empty()) {
        layout.Columns[fdMoment] = mapping.Time;
    } else {
        layout.Required.push_back(mapping.Date);
        layout.Columns[fdDate] = mapping.Date;
        layout.Columns[fdTimeOfDay] = mapping.Time;
    }
    layout.Columns[fdExposure] = mapping.Exposure;
    for (const auto& [field, name] : {std::pair(fdFile, mapping.File), {fdFrame, mapping.Frame}}) {
        if (!name.empty()) {
            layout.Required.push_back(name);
            layout.Columns[field] = name;
        }
    }
    layout.Pattern = mapping.TimeFormat;
    return layout;
}

} // namespace

TResult<TColumnMapping> ParseColumnMapping(std::string_view text)
{
    TColumnMapping mapping;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const auto equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        const std::string value(equals == std::string_view::npos ? "" : item.substr(equals + 1));
        if (value.empty())
            return Fail(Fill(Tr("In der Spaltenzuordnung fehlt zu \"%1\" der Spaltenname "
                                "(SCHLÜSSEL=SPALTE)."),
                             key));
        std::string* field = key == "time"       ? &mapping.Time
                             : key == "date"     ? &mapping.Date
                             : key == "exposure" ? &mapping.Exposure
                             : key == "file"     ? &mapping.File
                             : key == "frame"    ? &mapping.Frame
                                                 : nullptr;
        if (!field)
            return Fail(Fill(Tr("Die Spaltenzuordnung kennt \"%1\" nicht; sie nimmt time, date, "
                                "exposure, file und frame."),
                             key));
        *field = value;
    }
    if (mapping.Time.empty() || mapping.Exposure.empty())
        return Fail(Tr("Die Spaltenzuordnung braucht time=SPALTE und exposure=SPALTE."));
    return mapping;
}

std::string ColumnMappingText(const TColumnMapping& mapping)
{
    std::string text = "time=" + mapping.Time;
    if (!mapping.Date.empty())
        text += ",date=" + mapping.Date;
    text += ",exposure=" + mapping.Exposure;
    if (!mapping.File.empty())
        text += ",file=" + mapping.File;
    if (!mapping.Frame.empty())
        text += ",frame=" + mapping.Frame;
    return text;
}

TColumnMapping SuggestedColumns(const std::vector<std::string>& columns)
{
    TColumnMapping mapping;
    // Per use, the words its column's name may hold, the most telling first.
    const std::pair<std::string*, std::vector<std::string_view>> uses[] = {
        {&mapping.File, {"file", "datei", "path", "pfad", "name"}},
        {&mapping.Exposure,
         {"exposuretime", "exposure time", "belichtungszeit", "duration", "dauer", "shutter",
          "belicht", "exposure", "tv", "exp"}},
        {&mapping.Time,
         {"zeitpunkt", "aufnahme", "timestamp", "datetime", "start", "time", "zeit", "datum",
          "date", "moment"}},
        {&mapping.Frame, {"frame", "nummer", "number", "nr", "no."}},
    };
    struct TCandidate {
        std::size_t Rank, Use, Column;
    };
    std::vector<TCandidate> candidates;
    for (std::size_t column = 0; column < columns.size(); ++column) {
        std::string name = columns[column];
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        for (std::size_t use = 0; use < std::size(uses); ++use) {
            const auto& words = uses[use].second;
            for (std::size_t rank = 0; rank < words.size(); ++rank)
                if (name.find(words[rank]) != std::string::npos) {
                    candidates.push_back({rank, use, column});
                    break;
                }
        }
    }
    // The closest fits choose first, each column to one use: "ExposureStart"
    // beside "Duration" is the moment, "Datei" a file and no date.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TCandidate& a, const TCandidate& b) { return a.Rank < b.Rank; });
    std::vector<bool> taken(columns.size(), false);
    for (const TCandidate& candidate : candidates) {
        std::string& chosen = *uses[candidate.Use].first;
        if (chosen.empty() && !taken[candidate.Column]) {
            chosen = columns[candidate.Column];
            taken[candidate.Column] = true;
        }
    }
    return mapping;
}

std::vector<std::unique_ptr<TLogSource>> LogSources(const TLogReadOptions& options)
{
    std::vector<std::unique_ptr<TLogSource>> sources;
    if (options.Columns)
        sources.push_back(std::make_unique<TTableSource>(MappedLayout(*options.Columns)));
    sources.push_back(std::make_unique<TZelmaroSource>(options.Settings));
    for (TLayout& layout : KnownLayouts())
        sources.push_back(std::make_unique<TTableSource>(std::move(layout)));
    return sources;
}

TLogTextRead ReadLogText(std::string_view text, const TLogReadOptions& options)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    for (const auto& source : LogSources(options))
        if (source->Recognises(text))
            return {source->Name(), source->Read(text)};
    return {};
}

std::string ExpectedLogFormats()
{
    std::string names;
    for (const TLayout& layout : KnownLayouts())
        names += (names.empty() ? "" : ", ") + layout.Name;
    return Fill(Tr("erwartet wird die erste Zeile \"Zelmaro\", eines der Formate %1 oder eine "
                   "Tabelle mit zugeordneten Spalten (time=…, exposure=…)"),
                names);
}

} // namespace zelmaro
