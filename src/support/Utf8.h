#pragma once

#include <cstddef>
#include <string_view>

namespace zelmaro {

// Length of the valid UTF-8 sequence at text[i] (1 for ASCII), 0 when the
// bytes there are no UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

} // namespace zelmaro
