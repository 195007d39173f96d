#include "support/Strings.h"

#include <gtest/gtest.h>

using namespace zelmaro;
using Pieces = std::vector<std::string>;

TEST(SplitString, OptionsDecideWhichPiecesCount)
{
    const TSplitOptions none{};
    const TSplitOptions all{true, true, true};
    // clang-format off
    const struct { const char* text; TSplitOptions options; Pieces pieces; } cases[] = {
        {"-a--b-", all, {"a", "b"}}, {"-a--b-", none, {"", "a", "", "b", ""}},
        {"-a--b-", {true, false, false}, {"", "a", "b", ""}},
        {"-a--b-", {false, true, false}, {"a", "", "b", ""}},
        {"-a--b-", {false, false, true}, {"", "a", "", "b"}},
        {"--a", {false, true, false}, {"", "a"}}, // only the very first separator is skipped
        {"", none, {""}}, {"", all, {}}, {"abc", all, {"abc"}}, {"a;b,c", none, {"a;b,c"}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(SplitString(c.text, "-", c.options), c.pieces) << c.text;
}

TEST(SplitString, AnyCharacterOfTheSetSeparates)
{
    EXPECT_EQ(SplitString("*.JPG;*.TIF,*.NEF", ";,"), (Pieces{"*.JPG", "*.TIF", "*.NEF"}));
}
