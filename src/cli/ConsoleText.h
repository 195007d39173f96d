#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

// A text as it may reach a terminal or a line of a file: tab, line feed and
// carriage return as \t, \n and \r, every byte of any other control
// character as \xHH (C0, DEL, C1 encoded as UTF-8, and lone bytes 0x80 to
// 0x9F, which are C1 to an 8-bit terminal). A name can then neither break a
// line nor steer the terminal; everything else, a backslash too, stays
// byte for byte.
std::string ConsoleText(std::string_view text);

} // namespace zelmaro
