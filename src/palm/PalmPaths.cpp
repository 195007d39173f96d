#include "PalmPaths.h"

#include "Paths.h"
#include "Strings.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zelmaro {

namespace {

namespace fs = std::filesystem;

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// The smallest name in directory that passes accept; nullopt when none does.
template <typename Accept>
std::optional<std::string> FirstEntry(const std::string& directory, Accept accept)
{
    std::optional<std::string> best;
    std::error_code ec;
    fs::directory_iterator it(fs::path(directory), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (accept(*it, name) && (!best || name < *best))
            best = std::move(name);
    }
    return best;
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
    std::error_code ec;
    fs::directory_iterator it(fs::path(path), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name != part && EqualIgnoringAsciiCase(name, part))
            names.push_back(std::move(name));
    }
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
        if (part == "." || part == "..")
            return {};
    }
    return FindParts(base, parts, 0);
}

std::string FirstSlotDirectory(const std::string& directory)
{
    constexpr std::string_view prefix = "slot-";
    auto name = FirstEntry(directory, [prefix](const fs::directory_entry& entry,
                                               const std::string& n) {
        std::error_code ec;
        return n.size() >= prefix.size() &&
               EqualIgnoringAsciiCase(std::string_view(n).substr(0, prefix.size()), prefix) &&
               entry.is_directory(ec);
    });
    return name ? JoinPath(directory, *name) : std::string();
}

} // namespace zelmaro
