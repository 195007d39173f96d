#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

// Palm Desktop data copied from Windows may differ in letter case from the
// names its files use ("MemoPad\MemoPad.dat"). Looks up relative (parts
// separated by "\" or "/") below base, each part without regard to ASCII case
// where the file system cares about case, an exact match first. Returns the
// path of the existing entry, or empty when a part is missing, is "." or
// "..", holds a NUL byte, or base is empty.
std::string FindPathIgnoringCase(const std::string& base, std::string_view relative);

} // namespace zelmaro
