#pragma once

#include "platform/DirectoryScan.h"
#include "support/Paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

enum class TFileSortKind : std::uint8_t { skName, skSize, skCreated, skAccessed, skModified };

// Details of one ListDirectory entry. Times are local date-times with the
// 2-second resolution of DOS times; 0 outside the years 1980 to 2107.
struct TFileListItem {
    std::string ShortName; // empty where the system has no short names
    double Created = 0;
    double Accessed = 0;
    double Modified = 0;
    std::uint64_t Size = 0; // 0 for a directory
    std::uint32_t Attributes = 0;
    bool IsDirectory = false;
};

struct TDirListEntry {
    std::string Name;
    TFileListItem Item;
};
using TDirList = std::vector<TDirListEntry>;

// Full paths of the entries of fileSpec's directory that its mask text
// (masks separated by ";") takes, in the asked order. Empty for a missing
// directory or any failure while scanning.
std::vector<std::string> FindFiles(std::string_view fileSpec, bool recurse, bool includeHidden,
                                   bool includeFiles, bool includeDirs,
                                   TFileSortKind sortKind = TFileSortKind::skName,
                                   bool descending = false);

// Names of dir's entries that match masks (";"-separated, blank for all),
// each with its details, sorted by name ignoring case. nullopt when dir does
// not exist or cannot be listed.
std::optional<TDirList> ListDirectory(const std::string& dir, std::string_view masks,
                                      bool includeDirs, bool dirsOnly);

// Disposes a ListDirectory result and leaves the reference empty.
void FreeDirList(std::optional<TDirList>& list);

// fileSpec taken apart into its directory part as written ("" when there is
// none; trimmed of blanks only in the Windows style) and its mask text (trimmed).
struct TFileSpecParts {
    std::string Directory;
    std::string Masks;
};
TFileSpecParts SplitFileSpec(std::string_view fileSpec, TPathStyle style = kNativePathStyle);

// A local calendar moment as a date-time the way DOS times carry it: seconds
// rounded down to even; 0 outside 1980 to 2107 or for impossible fields.
double DosDateTimeToDays(const TLocalTime& local);

} // namespace zelmaro
