#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace zelmaro {

class TPalmUsersDat;

// Palm Desktop text (Windows-1252 bytes) for the console.
std::string Cp1252ToUtf8(std::string_view text);

// The Palm Desktop users, one a line: id, name and directory, separated by tabs.
void WritePalmUsers(std::ostream& out, const TPalmUsersDat& users);

// The id of the first user whose name is name, letters compared without
// regard to case.
std::optional<std::int32_t> FindPalmUser(const TPalmUsersDat& users, std::string_view name);

} // namespace zelmaro
