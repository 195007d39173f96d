#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelmaro {

// A text that is not the number or date it should be. The message is the text
// shown to the user.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whole number: leading blanks, an optional sign, then decimal digits or hex
// digits after "$", "x" or "0x"; it must fit in 32 bits (hex: any 32-bit
// pattern) and nothing may follow.
// nullopt when the text is not such a number.
std::optional<std::int32_t> TryStrToInt(std::string_view text);

// The same conversion; throws ConversionError "'<text>' ist kein gültiger
// Integerwert" when the text is not a whole number.
std::int32_t StrToInt(std::string_view text);

// Decimal number with the given decimal separator (no thousands separators):
// blanks around, an optional sign, digits, optionally the separator and more
// digits, optionally E or e with a signed exponent. nullopt when the text is
// not such a number or its value is out of the double range.
std::optional<double> TryTextToFloat(std::string_view text, char decimalSeparator);

} // namespace zelmaro
