#include "support/Conversions.h"

#include <gtest/gtest.h>

using namespace zelmaro;

TEST(Conversions, WholeNumbers)
{
    constexpr auto no = std::nullopt;
    // clang-format off
    const struct { const char* text; std::optional<std::int32_t> value; } cases[] = {
        {"08", 8}, {"  42", 42}, {"-7", -7}, {"+7", 7}, {"$1F", 31}, {"0x1f", 31}, {"-$10", -16},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"2147483648", no},
        {"$80000000", -2147483647 - 1}, {"$FFFFFFFF", -1}, // hex spans the whole 32-bit pattern
        {"$100000000", no}, {"x1A", 26}, {"99999999999999999999", no},
        {"", no}, {" ", no}, {"-", no}, {"$", no},
        {"12 ", no}, // nothing may follow
        {"1a", no}, {"3,2", no}, {"\t1", no},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(TryStrToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(Conversions, StrictWholeNumberRaisesTheConversionError)
{
    EXPECT_EQ(StrToInt("2008"), 2008);
    try {
        StrToInt("20x8");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'20x8' ist kein gültiger Integerwert");
    }
    EXPECT_THROW(StrToInt(""), ConversionError);
}

TEST(Conversions, DecimalNumbersUseTheGivenSeparator)
{
    constexpr auto no = std::nullopt;
    // clang-format off
    const struct { const char* text; char separator; std::optional<double> value; } cases[] = {
        {"3,2", ',', 3.2}, {"0,5", ',', 0.5}, {"30", ',', 30.0}, {" -1,5 ", ',', -1.5},
        {",5", ',', 0.5}, {"5,", ',', 5.0}, {"1,5E3", ',', 1500.0}, {"1e-3", ',', 0.001},
        {"+2E+2", ',', 200.0},
        {"0.5", ',', no}, // a point is no decimal comma
        {"0.5", '.', 0.5},
        {"1.000,5", ',', no}, // no thousands separators
        {"", ',', no}, {",", ',', no}, {"-", ',', no}, {"1E", ',', no}, {"1E+", ',', no},
        {"E5", ',', no}, {"1,5x", ',', no}, {"1 5", ',', no}, {"1E400", ',', no},
        {"inf", '.', no}, {"nan", '.', no},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(TryTextToFloat(c.text, c.separator), c.value) << '"' << c.text << '"';
}
