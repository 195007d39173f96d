#pragma once

#include "palm/PalmString.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace zelmaro {

class TPalmUsersDat;

// A file-system path for the console: valid UTF-8 as it is, any other byte
// read as Windows-1252.
std::string PathForConsole(std::string_view path);

// The Palm Desktop users, one a line: id, name (from Windows-1252) and the
// user's directory (as the file system has it), separated by tabs.
void WritePalmUsers(std::ostream& out, const TPalmUsersDat& users);

// The id of the first user whose name is name, letters compared without
// regard to case.
std::optional<std::int32_t> FindPalmUser(const TPalmUsersDat& users, std::string_view name);

} // namespace zelmaro
