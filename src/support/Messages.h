#pragma once

// The program's texts in the user's language. The texts in the code are the
// German ones; GNU gettext looks up their English translation in the catalog
// "zelmaro" (po/en.po) in the language InitMessages chose (support/
// Language.h). Without gettext (Windows) every text stays German.

#include "support/Language.h"

#include <concepts>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

// The folder of the catalogs: $ZELMARO_LOCALEDIR, else share/locale beside
// the program (installed: <bin>/../share/locale; build tree:
// <build>/src/<dir>/../../share/locale), else the installed one.
std::string CatalogDirectory(const std::string& programFile);

// The text in the chosen language.
std::string Tr(const char* text);
// The singular or plural text for n, in the chosen language.
std::string TrN(const char* singular, const char* plural, unsigned long n);

// The pattern with %1..%9 replaced by the values, in any order the pattern
// puts them; a % not followed by the number of a value stays.
std::string FillTexts(std::string_view pattern, const std::vector<std::string>& values);

inline std::string FillValue(std::string_view text)
{
    return std::string(text);
}
inline std::string FillValue(const char* text)
{
    return text;
}
inline std::string FillValue(const std::string& text)
{
    return text;
}
template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char>) std::string FillValue(T number)
{
    return std::to_string(number);
}

template <typename... T> std::string Fill(std::string_view pattern, const T&... values)
{
    return FillTexts(pattern, {FillValue(values)...});
}

} // namespace zelmaro
