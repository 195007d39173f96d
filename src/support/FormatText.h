#pragma once

#include "platform/FormatSettings.h"

#include <string>
#include <string_view>

namespace zelmaro {

// The general number text: at most 15 significant digits, no trailing zeros,
// no thousands separators; fixed notation for 1E-5 <= |x| < 1E15, otherwise
// scientific as 1E-6 or 1,5E20. The settings give the decimal separator.
std::string NumberText(double value, const FormatSettings& settings);

// A date-time value written by a picture such as "dd.MM.yyyy" or "h:mm:ss tt":
// d dd M MM yy yyyy H HH h hh m mm s ss t tt, text in single quotes taken
// literally ('' is a quote); every other character is copied.
std::string FormatDateTime(std::string_view picture, double dateTime,
                           const FormatSettings& settings);

// The short date, then a blank and the long time unless the time of day is
// exactly midnight: 05.01.2008 21:03:07, or 05.01.2008.
std::string DateTimeText(double dateTime, const FormatSettings& settings);

} // namespace zelmaro
