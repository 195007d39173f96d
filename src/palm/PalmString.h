#pragma once

#include "palm/ByteStream.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelmaro {

// A length-prefixed string: one length byte 0-254, or 0xFF and a 16-bit
// length. The bytes are taken over unchanged. At the end of the stream the
// string is shortened to the bytes that exist; announcedLength, when given,
// receives the length the stream announced.
std::string ReadPalmString(ByteStream& stream, std::uint16_t* announcedLength = nullptr);

// Palm Desktop text (Windows-1252 bytes) as UTF-8, for showing it; bytes
// that Windows-1252 leaves unassigned become U+FFFD.
std::string Cp1252ToUtf8(std::string_view text);

// Whether two Palm Desktop texts are the same but for letter case, the
// letters being those of Windows-1252 ("JÖRG" is "jörg", not "jürg").
bool SamePalmText(std::string_view a, std::string_view b);

// The value with its byte order reversed.
constexpr std::uint32_t SwapBytes32(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) |
           (value << 24);
}

} // namespace zelmaro
