#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelmaro {

// Palm Desktop data copied from Windows may differ in letter case from the
// names its files use ("MemoPad\MemoPad.dat"). Looks up relative (parts
// separated by "\" or "/") below base, each part without regard to ASCII case
// where the file system cares about case, an exact match first. Returns the
// path of the existing entry, or empty when a part is missing, is "." or
// "..", holds a NUL byte, or base is empty.
std::string FindPathIgnoringCase(const std::string& base, std::string_view relative);

// FindPathIgnoringCase for many lookups in a row (one load of a user list):
// each folder is listed once and its names are looked up from then on.
class TPathLookup {
public:
    std::string Find(const std::string& base, std::string_view relative);

private:
    // A folder's names by their folded spelling; sorted by (folded, name).
    using TListing = std::vector<std::pair<std::string, std::string>>;
    const TListing& Listing(const std::string& folder);
    std::string FindParts(const std::string& path, const std::vector<std::string>& parts,
                          std::size_t index);

    std::map<std::string, TListing> listings_;
};

} // namespace zelmaro
