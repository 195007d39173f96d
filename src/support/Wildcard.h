#pragma once

#include <string>
#include <string_view>

namespace zelmaro {

// Matches text against a mask: "*" any run (also none), "+" one or more
// characters, "?" one character, "[...]" one character of a set ("[~...]"
// negates, "a-z" ranges), "\" takes the next mask character literally. A mask
// whose set lacks its closing "]" matches nothing.
bool WildcardMatch(std::string_view text, std::string_view mask, bool ignoreCase);

// Whether ch is in the set that setText opens with "["; setText may run on
// past the set's "]". An unclosed set ends with the text.
bool MatchCharSet(std::string_view setText, char ch);

// Upper case by the C library's current locale, byte by byte.
std::string UpperCaseText(std::string_view text);

// Matching on texts that are already in the case to compare.
bool WildcardMatchExact(std::string_view text, std::string_view mask);

} // namespace zelmaro
