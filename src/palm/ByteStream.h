#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zelmaro {

// An in-memory copy of a whole file with a read position. Reads never fail:
// past the end they deliver what is left and stop at Size().
class ByteStream {
public:
    ByteStream() = default;
    explicit ByteStream(std::string bytes) : bytes_(std::move(bytes)) {}

    // The whole file; nullopt when it cannot be opened or read or is no
    // regular file.
    static std::optional<ByteStream> FromFile(const std::string& path);

    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    bool AtEnd() const { return position_ >= bytes_.size(); }

    // Copies min(count, Remaining()) bytes to target and returns that number.
    std::size_t Read(void* target, std::size_t count);
    // Advances by min(count, Remaining()) bytes and returns that number.
    std::size_t Skip(std::size_t count);

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// Little-endian fixed-width readers; bytes missing at the end read as zero.
template <typename T> T ReadLittleEndian(ByteStream& stream)
{
    std::array<unsigned char, sizeof(T)> bytes{};
    stream.Read(bytes.data(), bytes.size());
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | bytes[i];
    return static_cast<T>(value);
}

inline constexpr auto ReadUInt8 = &ReadLittleEndian<std::uint8_t>;
inline constexpr auto ReadInt8 = &ReadLittleEndian<std::int8_t>;
inline constexpr auto ReadInt16 = &ReadLittleEndian<std::int16_t>;
inline constexpr auto ReadUInt16 = &ReadLittleEndian<std::uint16_t>;
inline constexpr auto ReadInt32 = &ReadLittleEndian<std::int32_t>;
inline constexpr auto ReadUInt32 = &ReadLittleEndian<std::uint32_t>;

} // namespace zelmaro
