#pragma once

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
std::uint8_t ReadUInt8(ByteStream& stream);
std::int8_t ReadInt8(ByteStream& stream);
std::int16_t ReadInt16(ByteStream& stream);
std::uint16_t ReadUInt16(ByteStream& stream);
std::int32_t ReadInt32(ByteStream& stream);
std::uint32_t ReadUInt32(ByteStream& stream);

} // namespace zelmaro
