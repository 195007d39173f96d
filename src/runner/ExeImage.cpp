#include "runner/ExeImage.h"

#include "runner/RunnerErrors.h"
#include "support/Messages.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace zelmaro {

namespace {

std::uint16_t Word(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t DWord(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(Word(bytes)) | static_cast<std::uint32_t>(Word(bytes + 2))
                                                         << 16;
}

// Reads exactly size bytes at offset; false when the image ends first.
bool ReadAt(std::istream& image, std::uint64_t offset, unsigned char* buffer, std::size_t size)
{
    image.clear();
    image.seekg(static_cast<std::streamoff>(offset));
    if (!image)
        return false;
    image.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return image.gcount() == static_cast<std::streamsize>(size);
}

void ReadOrFail(std::istream& image, std::uint64_t offset, unsigned char* buffer, std::size_t size)
{
    if (!ReadAt(image, offset, buffer, size))
        throw EInOutError(Tr("Versuch hinter dem Dateiende zu lesen"));
}

std::string OpenFailureText(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return Tr("Datei nicht gefunden");
    case EACCES:
    case EPERM:
        return Tr("Zugriff verweigert");
    default:
        return Fill(Tr("E/A-Fehler %1"), error);
    }
}

} // namespace

TExeImageInfo GetExeImageKind(std::istream& image)
{
    std::array<unsigned char, 64> dosHeader{};
    ReadOrFail(image, 0, dosHeader.data(), dosHeader.size());
    if (Word(dosHeader.data()) != 0x5A4D)
        throw EInOutError("Dos signature not present");

    const std::uint32_t newHeader = DWord(dosHeader.data() + 60);
    std::array<unsigned char, 4> signatureBytes{};
    const std::uint16_t signature =
        ReadAt(image, newHeader, signatureBytes.data(), 4) ? Word(signatureBytes.data()) : 0;

    TExeImageInfo info;
    switch (signature) {
    case 0x454C: // "LE"
        info.Kind = TExeImageKind::ikLE;
        return info;
    case 0x454E: { // "NE"
        unsigned char targetSystem = 0;
        ReadOrFail(image, std::uint64_t{newHeader} + 0x36, &targetSystem, 1);
        info.Kind = targetSystem == 1   ? TExeImageKind::ikOS2
                    : targetSystem == 2 ? TExeImageKind::ikWin16
                                        : TExeImageKind::ikNE;
        return info;
    }
    case 0x4550: // "PE"
        break;
    default:
        return info; // DOS
    }

    std::array<unsigned char, 20> fileHeader{};
    ReadOrFail(image, std::uint64_t{newHeader} + 4, fileHeader.data(), fileHeader.size());
    const std::uint16_t characteristics = Word(fileHeader.data() + 18);
    if ((characteristics & 0x0002) == 0)
        throw EInOutError("File is not executable");
    if ((characteristics & 0x2000) != 0) {
        info.Kind = TExeImageKind::ikDll;
        return info;
    }
    std::array<unsigned char, 224> optionalHeader{};
    ReadOrFail(image, std::uint64_t{newHeader} + 24, optionalHeader.data(), optionalHeader.size());
    info.Kind = TExeImageKind::ikWin32;
    info.Subsystem = Word(optionalHeader.data() + 68);
    return info;
}

TExeImageInfo GetExeImageKind(const std::string& path)
{
    std::ifstream image;
    errno = 0;
    image.open(path, std::ios::binary);
    if (!image.is_open())
        throw EInOutError(OpenFailureText(errno != 0 ? errno : ENOENT));
    return GetExeImageKind(image);
}

} // namespace zelmaro
