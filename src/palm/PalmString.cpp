#include "palm/PalmString.h"

#include <algorithm>

namespace zelmaro {

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where Windows-1252 has none.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char FoldCp1252(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
        return static_cast<char>(b + 0x20);
    switch (b) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<char>(b + 0x10);
    case 0x9F: // Ÿ
        return static_cast<char>(0xFF);
    default:
        return c;
    }
}

} // namespace

std::string Cp1252ToUtf8(std::string_view text)
{
    std::string out;
    for (const char byte : text) {
        const auto b = static_cast<unsigned char>(byte);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0)
            c = kHighControls[b - 0x80] ? kHighControls[b - 0x80] : U'\uFFFD';
        AppendUtf8(out, c);
    }
    return out;
}

bool SamePalmText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldCp1252(x) == FoldCp1252(y); });
}

std::string ReadPalmString(ByteStream& stream, std::uint16_t* announcedLength)
{
    std::uint16_t length = ReadUInt8(stream);
    if (length == 0xFF)
        length = ReadUInt16(stream);
    if (announcedLength != nullptr)
        *announcedLength = length;
    // Sized by what is left, so a damaged length cannot allocate more than the file holds.
    std::string text(std::min<std::size_t>(length, stream.Remaining()), '\0');
    stream.Read(text.data(), text.size());
    return text;
}

} // namespace zelmaro
