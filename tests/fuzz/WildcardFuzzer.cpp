// libFuzzer target: the wildcard matcher on arbitrary masks and texts, read
// from exact-size buffers so that any read past a mask is caught.
#include "support/Wildcard.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace zelmaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::vector<char> mask(
        input.begin(), split == std::string_view::npos ? input.end() : input.begin() + split);
    const std::string text(split == std::string_view::npos ? std::string_view()
                                                           : input.substr(split + 1));
    const std::string_view maskView(mask.data(), mask.size());

    WildcardMatch(text, maskView, false);
    WildcardMatch(text, maskView, true);
    if (!mask.empty() && mask[0] == '[')
        MatchCharSet(maskView, text.empty() ? 'a' : text[0]);

    // Every text matches itself escaped, and "*".
    std::string escaped;
    for (char c : text) {
        escaped += '\\';
        escaped += c;
    }
    if (!WildcardMatch(text, escaped, false) || !WildcardMatch(text, "*", false))
        std::abort();
    return 0;
}
