#include "palm/PalmPaths.h"

#include "platform/Ascii.h"
#include "platform/DirectoryScan.h"
#include "platform/Platform.h"
#include "support/Paths.h"
#include "support/Strings.h"

#include <algorithm>
#include <vector>

namespace zelmaro {

namespace {

bool Exists(const std::string& path)
{
    return SystemPlatform().FileAttributes(path).has_value();
}

} // namespace

const TPathLookup::TListing& TPathLookup::Listing(const std::string& folder)
{
    const auto added = listings_.try_emplace(folder);
    TListing& names = added.first->second;
    if (added.second) {
        ScanDirectory(folder, false, [&names](const TDirEntry& entry) {
            names.emplace_back(FoldAsciiCase(entry.Name), entry.Name);
            return true;
        });
        std::sort(names.begin(), names.end());
    }
    return names;
}

// Tries the exact name first, then every other spelling in sorted order, so
// that "QuickInstall" and "quickinstall" side by side are both looked into.
std::string TPathLookup::FindParts(const std::string& path, const std::vector<std::string>& parts,
                                   std::size_t index)
{
    if (index == parts.size())
        return Exists(path) ? path : std::string();
    const std::string& part = parts[index];
    std::string exact = JoinPath(path, part);
    if (kNativePathStyle == TPathStyle::psWindows)
        return FindParts(exact, parts, index + 1);
    if (Exists(exact)) {
        if (std::string found = FindParts(exact, parts, index + 1); !found.empty())
            return found;
    }
    const TListing& names = Listing(path);
    const std::string folded = FoldAsciiCase(part);
    for (auto it =
             std::lower_bound(names.begin(), names.end(), std::make_pair(folded, std::string()));
         it != names.end() && it->first == folded; ++it) {
        if (it->second == part)
            continue;
        if (std::string found = FindParts(JoinPath(path, it->second), parts, index + 1);
            !found.empty())
            return found;
    }
    return {};
}

std::string TPathLookup::Find(const std::string& base, std::string_view relative)
{
    if (base.empty())
        return {};
    const std::vector<std::string> parts = SplitString(relative, "\\/", {true, true, true});
    for (const std::string& part : parts) {
        if (part == "." || part == ".." || part.find('\0') != std::string::npos)
            return {};
    }
    return FindParts(base, parts, 0);
}

std::string FindPathIgnoringCase(const std::string& base, std::string_view relative)
{
    return TPathLookup().Find(base, relative);
}

} // namespace zelmaro
