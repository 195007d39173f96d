#include "support/Conversions.h"

#include <gtest/gtest.h>

using namespace zelmaro;

TEST(Conversions, WholeNumbers)
{
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"08", 8},
        {"  42", 42},
        {"-7", -7},
        {"+7", 7},
        {"$1F", 31},
        {"0x1f", 31},
        {"-$10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"$80000000", -2147483647 - 1}, // hex spans the whole 32-bit pattern
        {"$FFFFFFFF", -1},
        {"$100000000", std::nullopt},
        {"x1A", 26},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"12 ", std::nullopt}, // nothing may follow
        {"1a", std::nullopt},
        {"3,2", std::nullopt},
        {"\t1", std::nullopt},
    };
    for (const Case& c : cases)
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
    struct Case {
        const char* text;
        char separator;
        std::optional<double> value;
    } cases[] = {
        {"3,2", ',', 3.2},
        {"0,5", ',', 0.5},
        {"30", ',', 30.0},
        {" -1,5 ", ',', -1.5},
        {",5", ',', 0.5},
        {"5,", ',', 5.0},
        {"1,5E3", ',', 1500.0},
        {"1e-3", ',', 0.001},
        {"+2E+2", ',', 200.0},
        {"0.5", ',', std::nullopt}, // a point is no decimal comma
        {"0.5", '.', 0.5},
        {"1.000,5", ',', std::nullopt}, // no thousands separators
        {"", ',', std::nullopt},
        {",", ',', std::nullopt},
        {"-", ',', std::nullopt},
        {"1E", ',', std::nullopt},
        {"1E+", ',', std::nullopt},
        {"E5", ',', std::nullopt},
        {"1,5x", ',', std::nullopt},
        {"1 5", ',', std::nullopt},
        {"1E400", ',', std::nullopt},
        {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TryTextToFloat(c.text, c.separator), c.value) << '"' << c.text << '"';
}
