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

} // namespace zelmaro
