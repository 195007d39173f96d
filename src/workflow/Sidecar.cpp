#include "workflow/Sidecar.h"

#include "support/FileSearch.h"
#include "support/Paths.h"
#include "support/Wildcard.h"

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

bool CreateEmptySidecar(const std::string& path)
{
    // Only writers that hold the directory's lock create sidecars: nobody
    // else makes the file between the look and the write.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(path), error) || error)
        return false;
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file << kEmptySidecar;
    file.close();
    if (file)
        return true;
    std::filesystem::remove(std::filesystem::path(path), error);
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
