#include "workflow/Sidecar.h"

#include "support/DateTime.h"
#include "support/FileSearch.h"
#include "support/Paths.h"
#include "support/Utf8.h"
#include "support/Wildcard.h"
#include "workflow/Originals.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zelmaro {

std::string_view SidecarNamingText(TSidecar naming)
{
    switch (naming) {
    case TSidecar::svXmp:
        return "xmp";
    case TSidecar::svExtXmp:
        return "ext.xmp";
    case TSidecar::svNone:
        break;
    }
    return "";
}

std::optional<TSidecar> SidecarNamingFromText(std::string_view text)
{
    for (const TSidecar naming : {TSidecar::svXmp, TSidecar::svExtXmp})
        if (text == SidecarNamingText(naming))
            return naming;
    return std::nullopt;
}

std::string SidecarName(const std::string& imageName, TSidecar naming)
{
    if (naming == TSidecar::svXmp) {
        const auto dot = imageName.rfind('.');
        return imageName.substr(0, dot) + ".xmp";
    }
    return imageName + ".xmp";
}

TSidecarFiles::TSidecarFiles(const std::string& directory, TSidecar naming)
    : FDirectory(directory), FNaming(naming)
{
    if (naming == TSidecar::svNone)
        return;
    for (const std::string& path :
         FindFiles(JoinPath(directory, "*.XMP"), false, true, true, false)) {
        std::string name = FileNamePart(path);
        FNames.emplace(UpperCaseText(name), std::move(name));
    }
}

std::string TSidecarFiles::PathFor(const std::string& imageName) const
{
    std::string name = SidecarName(imageName, FNaming);
    if (const auto it = FNames.find(UpperCaseText(name)); it != FNames.end())
        name = it->second;
    return JoinPath(FDirectory, name);
}

bool TSidecarFiles::Exists(const std::string& imageName) const
{
    return FNaming != TSidecar::svNone &&
           FNames.contains(UpperCaseText(SidecarName(imageName, FNaming)));
}

namespace {

// Makes the file at path with text; false, leaving nothing, where a file is
// there already or it cannot be written.
bool CreateFileWith(const std::string& path, std::string_view text)
{
    // Only writers that hold the directory's lock create sidecars: nobody
    // else makes the file between the look and the write.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(path), error) || error)
        return false;
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (file)
        return true;
    std::filesystem::remove(std::filesystem::path(path), error);
    return false;
}

// Well-formed UTF-8 without control characters: what an XML text may carry
// as it is.
bool IsPlainText(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0 || byte < 0x20 || byte == 0x7f)
            return false;
        i += length;
    }
    return true;
}

std::string XmlEscaped(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string RationalText(double value)
{
    const TToolRational rational = ToolRational(value);
    char text[48];
    std::snprintf(text, sizeof text, "%.0f/%.0f", rational.Numerator, rational.Denominator);
    return text;
}

} // namespace

bool CreateEmptySidecar(const std::string& path)
{
    return CreateFileWith(path, kEmptySidecar);
}

std::optional<std::string> SidecarPacket(double exposureTime, const TImageValues& values)
{
    const auto usable = [](const std::optional<double>& value) {
        return !value || (std::isfinite(*value) && *value > 0);
    };
    if (!std::isfinite(exposureTime) || !(exposureTime > 0) || !usable(values.Aperture) ||
        !usable(values.FocalLength) || !IsPlainText(values.Lens))
        return std::nullopt;
    // The properties in the order and layout the tool writes them.
    std::string exif;
    const auto property = [&exif](std::string_view name, const std::string& value) {
        exif +=
            "  <exif:" + std::string(name) + '>' + value + "</exif:" + std::string(name) + ">\n";
    };
    if (values.Aperture)
        property("ApertureValue", RationalText(2 * std::log2(*values.Aperture)));
    if (values.ShotDate != 0) {
        const TDateTimeParts parts = DecodeDateTime(SecondsToDays(values.ShotDate));
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", parts.Year, parts.Month,
                      parts.Day, parts.Hour, parts.Minute, parts.Second);
        property("DateTimeOriginal", date);
    }
    property("ExposureTime", RationalText(exposureTime));
    if (values.Aperture)
        property("FNumber", RationalText(*values.Aperture));
    if (values.FocalLength)
        property("FocalLength", RationalText(*values.FocalLength));
    if (values.ISO)
        property("ISOSpeedRatings", "\n   <rdf:Seq>\n    <rdf:li>" + std::to_string(*values.ISO) +
                                        "</rdf:li>\n   </rdf:Seq>\n  ");
    property("ShutterSpeedValue", RationalText(-std::log2(exposureTime)));

    std::string packet = "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
                         "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
                         "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n\n"
                         " <rdf:Description rdf:about=''\n"
                         "  xmlns:exif='http://ns.adobe.com/exif/1.0/'>\n" +
                         exif + " </rdf:Description>\n";
    if (!values.Lens.empty())
        packet += "\n <rdf:Description rdf:about=''\n"
                  "  xmlns:exifEX='http://cipa.jp/exif/1.0/'>\n"
                  "  <exifEX:LensModel>" +
                  XmlEscaped(values.Lens) + "</exifEX:LensModel>\n </rdf:Description>\n";
    packet += "</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end='w'?>\n";
    return packet;
}

bool WriteNewSidecar(const std::string& path, std::string_view packet)
{
    // The original first: a sidecar that is there always has it, so that a
    // restore takes the sidecar away again.
    const std::string original = path + std::string(kOriginalSuffix);
    if (!CreateFileWith(original, kEmptySidecar))
        return false;
    if (CreateFileWith(path, packet))
        return true;
    RemoveEmptySidecar(original);
    return false;
}

bool IsEmptySidecar(const std::string& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file)
        return false;
    std::string text(kEmptySidecar.size() + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text == kEmptySidecar;
}

void RemoveEmptySidecar(const std::string& path)
{
    if (IsEmptySidecar(path)) {
        std::error_code error;
        std::filesystem::remove(std::filesystem::path(path), error);
    }
}

} // namespace zelmaro
