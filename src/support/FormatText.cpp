#include "support/FormatText.h"

#include "support/DateTime.h"

#include <charconv>
#include <cmath>

namespace zelmaro {

namespace {

constexpr int kSignificantDigits = 15;

std::string Padded(int value, int width)
{
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

} // namespace

std::string NumberText(double value, const FormatSettings& settings)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Rounds to 15 significant digits: "d.dddddddddddddde[+-]xx". to_chars,
    // unlike printf, ignores the C library's locale, which the GUI sets.
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const bool negative = text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const std::size_t ePos = text.find('e');
    int exponent = 0;
    const std::string_view exponentText = text.substr(ePos + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);
    std::string digits;
    for (char c : text.substr(0, ePos)) {
        if (c != '.')
            digits += c;
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string result = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < kSignificantDigits) {
        if (exponent < 0) {
            result += '0';
            result += settings.DecimalSeparator;
            result.append(static_cast<std::size_t>(-exponent - 1), '0');
            result += digits;
        } else {
            const int integerDigits = exponent + 1;
            if (count <= integerDigits) {
                result += digits;
                result.append(static_cast<std::size_t>(integerDigits - count), '0');
            } else {
                result += digits.substr(0, static_cast<std::size_t>(integerDigits));
                result += settings.DecimalSeparator;
                result += digits.substr(static_cast<std::size_t>(integerDigits));
            }
        }
    } else {
        result += digits[0];
        if (count > 1) {
            result += settings.DecimalSeparator;
            result += digits.substr(1);
        }
        result += 'E';
        result += std::to_string(exponent);
    }
    return result;
}

std::string FormatDateTime(std::string_view picture, double dateTime,
                           const FormatSettings& settings)
{
    const TDateTimeParts p = DecodeDateTime(dateTime);
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted literal; '' inside or outside quotes is one quote.
            std::size_t j = i + 1;
            for (; j < picture.size(); ++j) {
                if (picture[j] != '\'')
                    out += picture[j];
                else if (j + 1 < picture.size() && picture[j + 1] == '\'')
                    out += picture[++j];
                else
                    break;
            }
            if (j == i + 1 && j < picture.size())
                out += '\'';
            i = j + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        const int n = static_cast<int>(run);
        switch (c) {
        case 'd':
            out += Padded(p.Day, n >= 2 ? 2 : 1);
            break;
        case 'M':
            out += Padded(p.Month, n >= 2 ? 2 : 1);
            break;
        case 'y':
            out += n <= 2 ? Padded(p.Year % 100, n) : Padded(p.Year, 4);
            break;
        case 'H':
            out += Padded(p.Hour, n >= 2 ? 2 : 1);
            break;
        case 'h':
            out += Padded(p.Hour % 12 == 0 ? 12 : p.Hour % 12, n >= 2 ? 2 : 1);
            break;
        case 'm':
            out += Padded(p.Minute, n >= 2 ? 2 : 1);
            break;
        case 's':
            out += Padded(p.Second, n >= 2 ? 2 : 1);
            break;
        case 't': {
            const std::string& marker = p.Hour < 12 ? settings.TimeAMString : settings.TimePMString;
            out += n == 1 ? marker.substr(0, 1) : marker;
            break;
        }
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

std::string DateTimeText(double dateTime, const FormatSettings& settings)
{
    std::string text = FormatDateTime(settings.ShortDateFormat, dateTime, settings);
    const TDateTimeParts p = DecodeDateTime(dateTime);
    if (p.Hour != 0 || p.Minute != 0 || p.Second != 0 || p.MilliSecond != 0) {
        text += ' ';
        text += FormatDateTime(settings.LongTimeFormat, dateTime, settings);
    }
    return text;
}

} // namespace zelmaro
