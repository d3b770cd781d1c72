#include "sheet/Numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(ParseNumber, ReadsAsBaseTenStrtol) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0", 0},
        {"12", 12},
        {"-1", -1},
        {"+7", 7},
        {"  42", 42},
        {"\t\r\n 5", 5},
        {"3abc", 3},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"- 3", 0},
        {"007", 7},
        {"1,0,2", 1},
        {"0x10", 0},
        {"12 34", 12},
        {"１２", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseNumber(text), value) << '[' << text << ']';
}

TEST(NumberToText, WritesDecimalWithMinusSign) {
    EXPECT_EQ(numberToText(0, 10), "0");
    EXPECT_EQ(numberToText(1002, 10), "1002");
    EXPECT_EQ(numberToText(-1, 10), "-1");
    EXPECT_EQ(numberToText(INT_MAX, 10), "2147483647");
    EXPECT_EQ(numberToText(INT_MIN, 10), "-2147483648");
    EXPECT_EQ(numberToText(255, 16), "ff");
}

TEST(NumberToText, ReadsBackAsTheSameNumber) {
    for (std::int32_t value : {0, 1, -1, 6, -2, 1000, INT_MAX, INT_MIN, INT_MIN + 1})
        EXPECT_EQ(parseNumber(numberToText(value, 10)), value);
}

} // namespace
