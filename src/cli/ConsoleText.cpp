#include "cli/ConsoleText.h"

#include "support/Utf8.h"

namespace zelmaro {

namespace {

void AppendEscape(std::string& out, unsigned char byte)
{
    switch (byte) {
    case '\t':
        out += "\\t";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    default:
        constexpr char kHex[] = "0123456789abcdef";
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

} // namespace

std::string ConsoleText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += text[i++];
            continue;
        }
        const std::size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(text, i);
        if (length == 0) {
            // Not UTF-8: Latin-1 letters as they are, C1 bytes made visible.
            if (byte < 0xA0)
                AppendEscape(out, byte);
            else
                out += text[i];
            ++i;
        } else if (byte < 0x80 ||
                   (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
            for (std::size_t k = 0; k < length; ++k)
                AppendEscape(out, static_cast<unsigned char>(text[i + k]));
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

} // namespace zelmaro
