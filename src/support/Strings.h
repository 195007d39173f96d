#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

struct TSplitOptions {
    bool SkipRepeated = false;  // a run of separators counts as one
    bool SkipLeading = false;   // a separator at the very start adds no piece
    bool SkipEmptyLast = false; // an empty piece at the end is dropped
};

// Splits text at any of the separator characters; pieces are not trimmed.
std::vector<std::string> SplitString(std::string_view text, std::string_view separators,
                                     TSplitOptions options = {});

// Blanks and control characters (bytes up to ' ') off both ends.
std::string_view TrimBlanks(std::string_view text);

} // namespace zelmaro
