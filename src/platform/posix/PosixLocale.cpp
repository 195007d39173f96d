#include "platform/posix/PosixLocale.h"

namespace zelmaro::posix {

namespace {

void AppendLiteral(std::string& out, std::string_view text)
{
    if (text.empty())
        return;
    // Letters would be taken for picture codes; quote them.
    bool needsQuotes = false;
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'')
            needsQuotes = true;
    }
    if (!needsQuotes) {
        out += text;
        return;
    }
    out += '\'';
    for (char c : text) {
        if (c == '\'')
            out += "''";
        else
            out += c;
    }
    out += '\'';
}

} // namespace

std::string StrftimeToPicture(std::string_view format)
{
    std::string out;
    std::string literal;
    auto flush = [&] {
        AppendLiteral(out, literal);
        literal.clear();
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            literal += c;
            continue;
        }
        char code = format[++i];
        // glibc flags and modifiers: %-d, %_H, %Ey, %Od ...
        while ((code == '-' || code == '_' || code == '0' || code == '^' || code == '#' ||
                code == 'E' || code == 'O') &&
               i + 1 < format.size()) {
            bool unpadded = code == '-';
            code = format[++i];
            if (unpadded) {
                std::string_view single;
                // clang-format off
                switch (code) {
                case 'd': case 'e': single = "d"; break;
                case 'm': single = "M"; break;
                case 'H': case 'k': single = "H"; break;
                case 'I': case 'l': single = "h"; break;
                case 'M': single = "m"; break;
                case 'S': single = "s"; break;
                default: break;
                }
                // clang-format on
                if (!single.empty()) {
                    flush();
                    out += single;
                    code = '\0';
                    break;
                }
            }
        }
        if (code == '\0')
            continue;
        std::string_view picture;
        // clang-format off
        switch (code) {
        case 'd': picture = "dd"; break;
        case 'e': picture = "d"; break;
        case 'm': picture = "MM"; break;
        case 'y': picture = "yy"; break;
        case 'Y': picture = "yyyy"; break;
        case 'H': picture = "HH"; break;
        case 'k': picture = "H"; break;
        case 'I': picture = "hh"; break;
        case 'l': picture = "h"; break;
        case 'M': picture = "mm"; break;
        case 'S': picture = "ss"; break;
        case 'p': case 'P': picture = "tt"; break;
        case 'D': picture = "MM/dd/yy"; break;
        case 'F': picture = "yyyy-MM-dd"; break;
        case 'T': picture = "HH:mm:ss"; break;
        case 'R': picture = "HH:mm"; break;
        case 'r': picture = "hh:mm:ss tt"; break;
        case 'n': literal += '\n'; continue;
        case 't': literal += '\t'; continue;
        case '%': literal += '%'; continue;
        default: continue; // weekday or month names and the like have no picture code here
        }
        // clang-format on
        flush();
        out += picture;
    }
    flush();
    return out;
}

} // namespace zelmaro::posix
