#pragma once

#include "platform/FormatSettings.h"
#include "shotlog/ShotEntry.h"
#include "workflow/Records.h"

#include <string>
#include <vector>

namespace zelmaro {

// The whole logged set beyond the exposure time: what a log entry gives of
// the lens settings and, for film scans, of the moment, as tags the tool
// writes and reads back.

// One value of the set.
enum class TSetValue { svAperture, svISO, svFocalLength, svLens, svShotDate };

// The entry's values that the set writes: f-number, ISO, focal length and
// lens where the log gives them; with filmScan (paired by name or frame)
// also its moment, since a scan's own date is the scan's, not the shot's.
TImageValues LoggedValues(const TShotItem& shot, bool filmScan);

// Whether there is any value in it.
bool HasValues(const TImageValues& values);

// The values of base, each replaced by over's where over holds one.
TImageValues Overlaid(TImageValues base, const TImageValues& over);

// The values as the tool's arguments "-Tag=value", by plain tag names so
// that the tool picks the group, in an image or a sidecar: FNumber and
// ApertureValue from the f-number, ISO, FocalLength, LensModel and
// DateTimeOriginal. Numbers with a decimal point.
std::vector<std::string> SetWriteArguments(const TImageValues& values,
                                           const FormatSettings& settings);

// The exposure time's arguments (the path last, after "-P") with the
// set's put in front of "-P", so that the path stays last.
std::vector<std::string> WithSetArguments(std::vector<std::string> arguments,
                                          const TImageValues& values,
                                          const FormatSettings& settings);

// The tags that read the set from an image (see ParseImageData); numbers
// as numbers, not rounded for reading.
std::vector<std::string> SetReadTags();

// The logged values the image does not hold, in the set's order.
std::vector<TSetValue> DifferingValues(const TImageValues& logged, const TImageValues& image);

// The logged values that differ from the image's, for the row's tooltip:
// "Blende 8 (Bild 5,6), ISO 400 (Bild ohne)"; empty where none does.
std::string DifferencesText(const TImageValues& logged, const TImageValues& image,
                            const FormatSettings& settings);

// Why the image read back does not hold the logged values, one sentence
// each ("Die Datei enthält danach Blende 5,6 statt 8."); empty where it
// holds them all.
std::string ReadBackFailures(const TImageValues& logged, const TImageValues& readBack,
                             const FormatSettings& settings);

} // namespace zelmaro
