#include "palm/ByteStream.h"

#include "platform/DirectoryScan.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmaro {

std::optional<ByteStream> ByteStream::FromFile(const std::string& path)
{
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes)
        return std::nullopt;
    return ByteStream(std::move(*bytes));
}

std::size_t ByteStream::Read(void* target, std::size_t count)
{
    const std::size_t n = std::min(count, Remaining());
    if (n > 0)
        std::memcpy(target, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t ByteStream::Skip(std::size_t count)
{
    const std::size_t n = std::min(count, Remaining());
    position_ += n;
    return n;
}

namespace {

template <typename T> T ReadLittleEndian(ByteStream& stream)
{
    std::array<unsigned char, sizeof(T)> bytes{};
    stream.Read(bytes.data(), bytes.size());
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<T>(value);
}

} // namespace

std::uint8_t ReadUInt8(ByteStream& stream)
{
    return ReadLittleEndian<std::uint8_t>(stream);
}
std::int8_t ReadInt8(ByteStream& stream)
{
    return ReadLittleEndian<std::int8_t>(stream);
}
std::int16_t ReadInt16(ByteStream& stream)
{
    return ReadLittleEndian<std::int16_t>(stream);
}
std::uint16_t ReadUInt16(ByteStream& stream)
{
    return ReadLittleEndian<std::uint16_t>(stream);
}
std::int32_t ReadInt32(ByteStream& stream)
{
    return ReadLittleEndian<std::int32_t>(stream);
}
std::uint32_t ReadUInt32(ByteStream& stream)
{
    return ReadLittleEndian<std::uint32_t>(stream);
}

} // namespace zelmaro
