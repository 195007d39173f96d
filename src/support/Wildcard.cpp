#include "support/Wildcard.h"

#include <cctype>
#include <cstddef>

namespace zelmaro {

namespace {

constexpr std::size_t kNoEnd = std::string_view::npos;

// Index just past the "]" of the set that starts with "[" at start, or kNoEnd.
std::size_t SetEnd(std::string_view mask, std::size_t start)
{
    std::size_t i = start + 1;
    if (i < mask.size() && mask[i] == '~')
        ++i;
    while (i < mask.size()) {
        if (mask[i] == ']')
            return i + 1;
        i += mask[i] == '\\' ? 2 : 1;
    }
    return kNoEnd;
}

// Does the one mask element at i (not "*" or "+") take ch? Sets the index
// after the element in next; false with next = kNoEnd for an unclosed set.
bool ElementTakes(std::string_view mask, std::size_t i, char ch, std::size_t& next)
{
    const char m = mask[i];
    if (m == '?') {
        next = i + 1;
        return true;
    }
    if (m == '[') {
        next = SetEnd(mask, i);
        return next != kNoEnd && MatchCharSet(mask.substr(i), ch);
    }
    if (m == '\\' && i + 1 < mask.size()) {
        next = i + 2;
        return mask[i + 1] == ch;
    }
    next = i + 1; // also a lone "\" at the very end: itself
    return m == ch;
}

} // namespace

std::string UpperCaseText(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool MatchCharSet(std::string_view setText, char ch)
{
    std::size_t i = 1; // past "["
    bool negated = false;
    if (i < setText.size() && setText[i] == '~') {
        negated = true;
        ++i;
    }
    const auto code = [](char c) { return static_cast<unsigned char>(c); };
    // One set character at i, escaped or not; i moves past it.
    const auto take = [&](std::size_t& at) {
        if (setText[at] == '\\' && at + 1 < setText.size())
            ++at;
        return setText[at++];
    };
    bool contained = false;
    while (i < setText.size() && setText[i] != ']') {
        const char low = take(i);
        if (i + 1 < setText.size() && setText[i] == '-' && setText[i + 1] != ']') {
            ++i;
            const char high = take(i);
            contained = code(low) <= code(ch) && code(ch) <= code(high);
        } else {
            contained = low == ch;
        }
        if (contained)
            break;
    }
    return contained != negated;
}

// "+" is "?" followed by "*". After a star the rest of the mask may start at
// any later text position; only the last star needs revisiting, since a later
// star can absorb whatever an earlier one could.
bool WildcardMatchExact(std::string_view text, std::string_view mask)
{
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t starMask = kNoEnd; // mask index after the last star
    std::size_t starText = 0;      // text index that star's run ends at now
    while (j < text.size()) {
        if (i < mask.size() && mask[i] == '*') {
            starMask = ++i;
            starText = j;
            continue;
        }
        if (i < mask.size() && mask[i] == '+') {
            ++j; // one character is taken for sure
            starMask = ++i;
            starText = j;
            continue;
        }
        std::size_t next = 0;
        if (i < mask.size() && ElementTakes(mask, i, text[j], next)) {
            i = next;
            ++j;
            continue;
        }
        if (i < mask.size() && next == kNoEnd)
            return false; // unclosed set
        if (starMask == kNoEnd)
            return false;
        i = starMask;
        j = ++starText;
    }
    while (i < mask.size() && mask[i] == '*')
        ++i;
    return i == mask.size();
}

bool WildcardMatch(std::string_view text, std::string_view mask, bool ignoreCase)
{
    if (!ignoreCase)
        return WildcardMatchExact(text, mask);
    return WildcardMatchExact(UpperCaseText(text), UpperCaseText(mask));
}

} // namespace zelmaro
