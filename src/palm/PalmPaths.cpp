#include "PalmPaths.h"

#include "DirectoryScan.h"
#include "Paths.h"
#include "Platform.h"
#include "Strings.h"

#include <algorithm>
#include <vector>

namespace zelmaro {

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

bool Exists(const std::string& path)
{
    return SystemPlatform().FileAttributes(path).has_value();
}

// Tries the exact name first, then every other spelling in sorted order, so
// that "QuickInstall" and "quickinstall" side by side are both looked into.
std::string FindParts(const std::string& path, const std::vector<std::string>& parts,
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
    std::vector<std::string> names;
    ScanDirectory(path, false, [&](const TDirEntry& entry) {
        if (entry.Name != part && EqualIgnoringAsciiCase(entry.Name, part))
            names.push_back(entry.Name);
        return true;
    });
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (std::string found = FindParts(JoinPath(path, name), parts, index + 1); !found.empty())
            return found;
    }
    return {};
}

} // namespace

std::string FindPathIgnoringCase(const std::string& base, std::string_view relative)
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

} // namespace zelmaro
