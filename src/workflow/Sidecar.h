#pragma once

#include "workflow/Records.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zelmaro {

// Where the logged values go: into the image, or into an XMP sidecar beside
// it that raw developers read instead, named "IMG_0001.xmp" (svXmp) or
// "IMG_0001.CR2.xmp" (svExtXmp).
enum class TSidecar { svNone, svXmp, svExtXmp };

// The naming as the command line writes it ("xmp", "ext.xmp"), and back.
std::string_view SidecarNamingText(TSidecar naming);
std::optional<TSidecar> SidecarNamingFromText(std::string_view text);

// The sidecar's name for an image under a naming (not svNone).
std::string SidecarName(const std::string& imageName, TSidecar naming);

// The sidecars of one directory, found in one listing, so that an existing
// "IMG_0001.XMP" is the one written rather than a second "IMG_0001.xmp".
class TSidecarFiles {
public:
    TSidecarFiles(const std::string& directory, TSidecar naming);
    // The path of the image's sidecar: the existing one, else the one to create.
    std::string PathFor(const std::string& imageName) const;
    // Whether the image has a sidecar now.
    bool Exists(const std::string& imageName) const;

private:
    std::string FDirectory;
    TSidecar FNaming;
    std::map<std::string, std::string> FNames; // upper case to the name as it is
};

// What a sidecar holds before anything is written to it: an XMP packet with
// no properties. A new sidecar starts as this, so that the tool keeps it as
// the sidecar's original and a restore knows there was none.
inline constexpr std::string_view kEmptySidecar =
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
    "</x:xmpmeta>\n"
    "<?xpacket end=\"w\"?>\n";

// Creates the empty sidecar at path; false where a file is there already or
// it cannot be made.
bool CreateEmptySidecar(const std::string& path);
// Whether the file at path holds exactly the empty sidecar.
bool IsEmptySidecar(const std::string& path);
// Removes the file at path where it still is the empty sidecar.
void RemoveEmptySidecar(const std::string& path);

// A new sidecar's text as the tool would write it for these values: the
// exposure time with its APEX value and the logged set, as XMP exif
// properties. Nullopt where a value is one the tool had better handle (not
// finite, a lens name that is no plain UTF-8 text).
std::optional<std::string> SidecarPacket(double exposureTime, const TImageValues& values);

// Makes a new sidecar at path holding packet, with the empty sidecar beside
// it as its original ("NAME.xmp_original"), just as the tool leaves a new
// one. False, with nothing left behind, where either is there already or
// cannot be made.
bool WriteNewSidecar(const std::string& path, std::string_view packet);

} // namespace zelmaro
