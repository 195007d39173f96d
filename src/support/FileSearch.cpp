#include "support/FileSearch.h"

#include "platform/Platform.h"
#include "support/Strings.h"
#include "support/Wildcard.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace zelmaro {

namespace {

// Masks of a mask text, upper case; empty pieces are dropped.
std::vector<std::string> SplitMasks(std::string_view maskText)
{
    std::vector<std::string> masks;
    for (std::string& piece : SplitString(maskText, ";")) {
        if (!piece.empty())
            masks.push_back(UpperCaseText(piece));
    }
    return masks;
}

// A key whose byte order is the locale's case-ignoring order of the text.
std::string CollationKey(const std::string& text)
{
    const std::string upper = UpperCaseText(text);
    std::string key(upper.size() * 2 + 16, '\0');
    std::size_t needed = std::strxfrm(key.data(), upper.c_str(), key.size());
    if (needed >= key.size()) {
        key.resize(needed + 1);
        needed = std::strxfrm(key.data(), upper.c_str(), key.size());
    }
    key.resize(needed);
    // Names the locale deems equal still get one fixed order.
    key += '\0';
    key += upper;
    key += '\0';
    key += text;
    return key;
}

// Sorts texts by CollationKey; perm tells where each one goes.
std::vector<std::size_t> CaseIgnoringOrder(const std::vector<std::string>& texts)
{
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (const std::string& text : texts)
        keys.push_back(CollationKey(text));
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

bool IsHiddenOrSystem(std::uint32_t attributes)
{
    return (attributes & (kFileAttributeHidden | kFileAttributeSystem)) != 0;
}

bool IsDirectory(std::uint32_t attributes)
{
    return (attributes & kFileAttributeDirectory) != 0;
}

double LocalDays(const std::optional<TLocalTime>& local)
{
    return local ? DosDateTimeToDays(*local) : 0.0;
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct TCollected {
    std::string Path;
    std::uint64_t Size = 0;
    double Time = 0;
};

} // namespace

double DosDateTimeToDays(const TLocalTime& local)
{
    static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (local.Year < 1980 || local.Year > 2107 || local.Month < 1 || local.Month > 12)
        return 0;
    const bool leap = (local.Year % 4 == 0 && local.Year % 100 != 0) || local.Year % 400 == 0;
    const int monthDays = local.Month == 2 && !leap ? 28 : kMonthDays[local.Month - 1];
    if (local.Day < 1 || local.Day > monthDays || local.Hour < 0 || local.Hour > 23 ||
        local.Minute < 0 || local.Minute > 59 || local.Second < 0 || local.Second > 60)
        return 0;
    const int second = std::min(local.Second, 59) / 2 * 2;
    const std::int64_t days = DaysFromCivil(local.Year, static_cast<unsigned>(local.Month),
                                            static_cast<unsigned>(local.Day)) -
                              DaysFromCivil(1899, 12, 30);
    const int seconds = local.Hour * 3600 + local.Minute * 60 + second;
    return static_cast<double>(days) + seconds / 86400.0;
}

TFileSpecParts SplitFileSpec(std::string_view fileSpec, TPathStyle style)
{
    const bool windows = style == TPathStyle::psWindows;
    const std::size_t last = fileSpec.find_last_of(windows ? ":\\" : "/");
    if (last == std::string_view::npos)
        return {std::string(), std::string(TrimBlanks(fileSpec))};
    // A separator stays when it makes a root: "C:\", "\\", "/" or "//".
    std::size_t dirLength = last;
    if (fileSpec[last] == ':')
        dirLength = last + 1;
    else if (windows ? last > 0 && (fileSpec[last - 1] == ':' || fileSpec[last - 1] == '\\')
                     : last == 0 || fileSpec[last - 1] == '/')
        dirLength = last + 1;
    // Windows passes over blanks at the end of a name, so trimming there keeps
    // the folder; on POSIX a blank belongs to the name and the folder stays as given.
    const std::string_view directory = fileSpec.substr(0, dirLength);
    return {std::string(windows ? TrimBlanks(directory) : directory),
            std::string(TrimBlanks(fileSpec.substr(last + 1)))};
}

// Both listings: a folder that is missing or cannot be listed says so by value
// (DirExists, ScanDirectory) and lists nothing. Nothing else here fails but an
// allocation, which is no property of the folder and is left to the caller.
std::vector<std::string> FindFiles(std::string_view fileSpec, bool recurse, bool includeHidden,
                                   bool includeFiles, bool includeDirs, TFileSortKind sortKind,
                                   bool descending)
{
    const TFileSpecParts parts = SplitFileSpec(fileSpec);
    std::string root = parts.Directory.empty() ? CurrentDirectory() : parts.Directory;
    if (root.empty())
        return {};
    if (root.back() == kPathDelimiter)
        root.pop_back();
    // On POSIX the root directory is left as "" so that paths join to "/name".
    const auto scanPath = [](const std::string& dir) {
        return dir.empty() ? std::string(1, kPathDelimiter) : dir;
    };
    if (!DirExists(scanPath(root)))
        return {};

    const std::string maskText = parts.Masks.empty() ? std::string("*") : parts.Masks;
    const bool allMatch = maskText == "*";
    const std::vector<std::string> masks = SplitMasks(maskText);
    const bool plainOrder = sortKind == TFileSortKind::skName && !descending;
    const bool withDetails = sortKind != TFileSortKind::skName;

    std::vector<TCollected> collected;
    std::string upperName;
    const auto nameMatches = [&](const std::string& name) {
        if (allMatch)
            return true;
        upperName = UpperCaseText(name);
        const bool hasExtension = upperName.find('.') != std::string::npos;
        for (const std::string& mask : masks) {
            if (!hasExtension && mask.back() == '.') {
                if (WildcardMatchExact(upperName + '.', mask))
                    return true;
            } else if (WildcardMatchExact(upperName, mask)) {
                return true;
            }
        }
        return false;
    };

    // Directories found last are searched first, each before those queued earlier.
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        const std::string dir = std::move(pending.back());
        pending.pop_back();
        const std::string prefix = dir + kPathDelimiter;
        ScanDirectory(scanPath(dir), withDetails, [&](const TDirEntry& entry) {
            const bool isDir = IsDirectory(entry.Attributes);
            if (isDir) {
                if (!includeHidden && IsHiddenOrSystem(entry.Attributes))
                    return true;
                if (recurse && !entry.IsLink)
                    pending.push_back(prefix + entry.Name);
                if (!includeDirs)
                    return true;
            } else {
                if (!includeFiles || !nameMatches(entry.Name))
                    return true;
                if (!includeHidden && IsHiddenOrSystem(entry.Attributes))
                    return true;
            }
            TCollected item{prefix + entry.Name};
            switch (sortKind) {
            case TFileSortKind::skName:
                break;
            case TFileSortKind::skSize:
                item.Size = entry.Size;
                break;
            case TFileSortKind::skCreated:
                item.Time = LocalDays(entry.Created);
                break;
            case TFileSortKind::skAccessed:
                item.Time = LocalDays(entry.Accessed);
                break;
            case TFileSortKind::skModified:
                item.Time = LocalDays(entry.Modified);
                break;
            }
            collected.push_back(std::move(item));
            return true;
        });
    }

    std::vector<std::string> result;
    result.reserve(collected.size());
    if (sortKind == TFileSortKind::skName) {
        std::vector<std::string> paths;
        paths.reserve(collected.size());
        for (TCollected& item : collected)
            paths.push_back(std::move(item.Path));
        std::vector<std::size_t> order = CaseIgnoringOrder(paths);
        if (!plainOrder)
            std::reverse(order.begin(), order.end());
        for (std::size_t index : order)
            result.push_back(std::move(paths[index]));
        return result;
    }
    const bool bySize = sortKind == TFileSortKind::skSize;
    std::sort(collected.begin(), collected.end(),
              [bySize, descending](const TCollected& a, const TCollected& b) {
                  if (descending)
                      return bySize ? b.Size < a.Size : b.Time < a.Time;
                  return bySize ? a.Size < b.Size : a.Time < b.Time;
              });
    for (TCollected& item : collected)
        result.push_back(std::move(item.Path));
    return result;
}

std::optional<TDirList> ListDirectory(const std::string& dir, std::string_view masks,
                                      bool includeDirs, bool dirsOnly)
{
    if (!DirExists(dir))
        return std::nullopt;
    const bool blank = TrimBlanks(masks).empty();
    const bool allMatch = blank || masks == "*";
    const std::vector<std::string> maskList =
        blank ? std::vector<std::string>{} : SplitMasks(masks);

    TDirList entries;
    const bool listed = ScanDirectory(dir, true, [&](const TDirEntry& entry) {
        const bool isDir = IsDirectory(entry.Attributes);
        if ((isDir && !includeDirs) || (!isDir && dirsOnly))
            return true;
        if (!allMatch) {
            const std::string upperName = UpperCaseText(entry.Name);
            const bool matches =
                std::any_of(maskList.begin(), maskList.end(), [&](const std::string& mask) {
                    return WildcardMatchExact(upperName, mask);
                });
            if (!matches)
                return true;
        }
        TFileListItem item;
        item.ShortName = entry.ShortName;
        item.Created = LocalDays(entry.Created);
        item.Accessed = LocalDays(entry.Accessed);
        item.Modified = LocalDays(entry.Modified);
        item.Size = isDir ? 0 : entry.Size;
        item.Attributes = entry.Attributes;
        item.IsDirectory = isDir;
        entries.push_back({entry.Name, std::move(item)});
        return true;
    });
    if (!listed)
        return std::nullopt;

    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const TDirListEntry& entry : entries)
        names.push_back(entry.Name);
    TDirList sorted;
    sorted.reserve(entries.size());
    for (std::size_t index : CaseIgnoringOrder(names))
        sorted.push_back(std::move(entries[index]));
    return sorted;
}

void FreeDirList(std::optional<TDirList>& list)
{
    list.reset();
}

} // namespace zelmaro
