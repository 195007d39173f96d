#include "PalmString.h"

#include <algorithm>

namespace zelmaro {

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
