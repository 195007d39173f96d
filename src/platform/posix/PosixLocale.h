#pragma once

#include <string>
#include <string_view>

namespace zelmaro::posix {

// Turns a strftime date or time format (as nl_langinfo gives it) into the
// Windows picture syntax of FormatSettings: "%d.%m.%Y" -> "dd.MM.yyyy".
std::string StrftimeToPicture(std::string_view format);

} // namespace zelmaro::posix
