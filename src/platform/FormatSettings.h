#pragma once

#include <string>

namespace zelmaro {

// The user's number and date conventions. Date and time formats use the
// Windows picture syntax (d dd M MM yy yyyy H HH h hh m mm s ss t tt, 'quoted'
// literals), which both platforms can supply.
struct FormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongTimeFormat = "h:mm:ss tt";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";

    // Conventions of a German system: 05.01.2008 21:03:07, 0,004.
    static FormatSettings German()
    {
        FormatSettings s;
        s.DecimalSeparator = ',';
        s.ThousandSeparator = '.';
        s.DateSeparator = '.';
        s.TimeSeparator = ':';
        s.ShortDateFormat = "dd.MM.yyyy";
        s.LongTimeFormat = "HH:mm:ss";
        s.TimeAMString.clear();
        s.TimePMString.clear();
        return s;
    }
};

} // namespace zelmaro
