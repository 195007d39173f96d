#pragma once

// Executable images built byte by byte, for the header check and the runner.

#include <cstdint>
#include <string>

namespace zelmaro::test {

constexpr std::uint32_t kNewHeader = 0x80;

inline void Put16(std::string& image, std::size_t at, std::uint16_t value)
{
    image[at] = static_cast<char>(value & 0xFF);
    image[at + 1] = static_cast<char>(value >> 8);
}

inline void Put32(std::string& image, std::size_t at, std::uint32_t value)
{
    Put16(image, at, static_cast<std::uint16_t>(value));
    Put16(image, at + 2, static_cast<std::uint16_t>(value >> 16));
}

// A DOS header pointing at newHeader, padded with zeros to size bytes.
inline std::string Mz(std::uint32_t newHeader, std::size_t size)
{
    std::string image(size, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 60, newHeader);
    return image;
}

inline std::string Pe(std::uint16_t characteristics, std::uint16_t subsystem,
                      std::size_t size = kNewHeader + 24 + 224)
{
    std::string image = Mz(kNewHeader, kNewHeader + 24 + 224);
    image.replace(kNewHeader, 4, std::string("PE\0\0", 4));
    Put16(image, kNewHeader + 4 + 18, characteristics);
    Put16(image, kNewHeader + 24 + 68, subsystem);
    image.resize(size);
    return image;
}

inline std::string Signed(const char* signature, std::size_t size = kNewHeader + 0x40)
{
    std::string image = Mz(kNewHeader, kNewHeader + 0x40);
    image[kNewHeader] = signature[0];
    image[kNewHeader + 1] = signature[1];
    image.resize(size);
    return image;
}

inline std::string Ne(unsigned char targetSystem, std::size_t size = kNewHeader + 0x40)
{
    std::string image = Signed("NE");
    image[kNewHeader + 0x36] = static_cast<char>(targetSystem);
    image.resize(size);
    return image;
}

} // namespace zelmaro::test
