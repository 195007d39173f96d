#include "support/Strings.h"

namespace zelmaro {

std::vector<std::string> SplitString(std::string_view text, std::string_view separators,
                                     TSplitOptions options)
{
    std::vector<std::string> pieces;
    std::string current;
    bool afterSeparator = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (separators.find(c) == std::string_view::npos) {
            current += c;
            afterSeparator = false;
            continue;
        }
        if (i == 0 && options.SkipLeading) {
            afterSeparator = true;
        } else if (!(options.SkipRepeated && afterSeparator)) {
            pieces.push_back(std::move(current));
            current.clear();
            afterSeparator = true;
        }
    }
    if (!(current.empty() && options.SkipEmptyLast))
        pieces.push_back(std::move(current));
    return pieces;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace zelmaro
