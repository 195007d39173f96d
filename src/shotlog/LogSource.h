#pragma once

#include "platform/FormatSettings.h"
#include "shotlog/ZelmaroLog.h"
#include "support/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// How a table that no known format fits is read: the column of the moment
// (or of the time of day, with Date the column of the date), how the moment
// is written (empty: recognised, see ParseMoment; else a pattern of
// ParseMomentWithPattern), the column of the exposure time and, optionally,
// those of the image's file name and of the frame number. Column names
// compare without regard to case.
struct TColumnMapping {
    std::string Time{};
    std::string Date{};
    std::string TimeFormat{};
    std::string Exposure{};
    std::string File{};
    std::string Frame{};
    bool operator==(const TColumnMapping&) const = default;
};

// "time=ExposureStart,exposure=Duration[,date=…][,file=…][,frame=…]"; with
// date= the time= column holds the time of day. The message says what is
// wrong, in German.
TResult<TColumnMapping> ParseColumnMapping(std::string_view text);
// The same syntax back (without the format), for storing a mapping.
std::string ColumnMappingText(const TColumnMapping& mapping);
// The columns whose names suggest each use ("Aufnahme" the moment, "Dauer"
// the exposure time, "Datei" the file, "Nr" the frame), each column to one
// use at most; empty where no name does.
TColumnMapping SuggestedColumns(const std::vector<std::string>& columns);

struct TLogReadOptions {
    // The user's date and number settings; exposure times take "." and ","
    // alike in every format.
    FormatSettings Settings;
    std::optional<TColumnMapping> Columns;
};

// One kind of shot log: it recognises its files by their content (a header
// line, the shape of a JSON document), never by their name, and reads their
// entries in log order. A row that holds text but no moment or no exposure
// time is passed over and counted.
class TLogSource {
public:
    virtual ~TLogSource() = default;
    // The format's name for the user.
    virtual std::string Name() const = 0;
    virtual bool Recognises(std::string_view text) const = 0;
    virtual TShotLogParse Read(std::string_view text) const = 0;
};

// The sources in the order they are asked: a column mapping (when given),
// the Zelmaro text, the JSON formats, the table formats.
std::vector<std::unique_ptr<TLogSource>> LogSources(const TLogReadOptions& options);

struct TLogTextRead {
    std::string Format; // the name of the source that read it; empty when none knew it
    TShotLogParse Parse;
};
// The text read by the first source that recognises it; a byte-order mark
// at its start is dropped.
TLogTextRead ReadLogText(std::string_view text, const TLogReadOptions& options);

// What the sources expect, for the message about a file none of them knows.
std::string ExpectedLogFormats();

} // namespace zelmaro
