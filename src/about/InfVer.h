#pragma once

#include "support/Conversions.h"

#include "about/VersionBlock.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelmaro {

class Platform;

// "2.4.0.31" -> "2.04": major and minor with the minor at least two digits
// wide. Texts without two dots come back unchanged. Throws
// ConversionError for a non-number before either dot.
std::string ShortVersion(std::string_view text);

// "2.4.0.31" -> 0x0204001F: up to four "."- or ","-separated parts, one byte
// each; a part that is no number counts as 0, a part above 255 spills over.
std::uint32_t VersionToNumber(std::string_view text);

// The version entries of an executable file as plain fields.
class TInfoVersion {
public:
    // Reads through the source; the platform answers the program's own path.
    TInfoVersion(const TVersionBlockSource& source, const Platform& platform);

    // Empty: the running program's own file.
    std::string FileName;

    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string LegalTrademarks;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
    std::string ShortFileVersion;
    std::string ShortProductVersion;
    std::uint32_t FileVersionNumber = 0;
    std::uint32_t ProductVersionNumber = 0;
    std::string Comments;
    std::string Mail;
    std::string Internet;
    std::string Licence;
    bool Debug = false;
    bool PreRelease = false;
    bool PrivateBuild = false;
    bool SpecialBuild = false;

    // Fills the fields from the chosen file's version block. Nothing is
    // cleared first: a read that ends early (no file, no block, no
    // translation) leaves the fields as they were. Throws
    // ConversionError for a malformed file or product version.
    void ReadVersionInfo();

private:
    const TVersionBlockSource& source_;
    const Platform& platform_;
};

} // namespace zelmaro
