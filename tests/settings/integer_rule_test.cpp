#include "settings/integer_rule.h"

#include <gtest/gtest.h>

namespace nuthumb {
namespace {

using namespace std::string_view_literals;

struct IntegerRow {
    const char* name;
    std::string_view text;
    std::int32_t expected;  // with default -7777
};

class IntegerRule : public testing::TestWithParam<IntegerRow> {};

TEST_P(IntegerRule, ConvertsOrGivesTheDefault) {
    EXPECT_EQ(ParseIntegerOr(GetParam().text, -7777), GetParam().expected) << '"' << GetParam().text << '"';
    // No row converts to the default itself, so the default marks "not a number".
    EXPECT_EQ(ParseInteger(GetParam().text).has_value(), GetParam().expected != -7777);
}

constexpr std::int32_t kDefault = -7777;

INSTANTIATE_TEST_SUITE_P(
    Rows, IntegerRule,
    testing::Values(
        IntegerRow{"Plain", "12", 12},
        IntegerRow{"LeadingBlanks", "  12", 12},
        IntegerRow{"LeadingTab", "\t12", 12},
        IntegerRow{"TrailingBlank", "12 ", kDefault},
        IntegerRow{"Plus", "+5", 5},
        IntegerRow{"MinusZero", "-0", 0},
        IntegerRow{"Negative", "-3", -3},
        IntegerRow{"BlanksThenSign", " -3", -3},
        IntegerRow{"SignThenBlank", "- 3", kDefault},
        IntegerRow{"LeadingZeros", "0012", 12},
        IntegerRow{"HexLower", "0x1E", 30},
        IntegerRow{"HexUpperPrefix", "0X1e", 30},
        IntegerRow{"HexPrefixOnlyUpper", "0X", kDefault},
        IntegerRow{"HexPrefixOnly", "0x", kDefault},
        IntegerRow{"HexBadDigit", "0x1G", kDefault},
        IntegerRow{"HexPrefixNotAtStart", " 0x1E", kDefault},
        IntegerRow{"Dollar", "$1F", 31},
        IntegerRow{"DollarOnly", "$", kDefault},
        IntegerRow{"NegativeDollar", "-$10", -16},
        IntegerRow{"Fraction", "1.5", kDefault},
        IntegerRow{"TrailingLetter", "12a", kDefault},
        IntegerRow{"Letters", "yes", kDefault},
        IntegerRow{"SignOnly", "-", kDefault},
        IntegerRow{"Empty", "", kDefault},
        IntegerRow{"BlanksOnly", "   ", kDefault},
        IntegerRow{"Max", "2147483647", 2147483647},
        IntegerRow{"AboveMax", "2147483648", kDefault},
        IntegerRow{"Min", "-2147483648", INT32_MIN},
        IntegerRow{"BelowMin", "-2147483649", kDefault},
        IntegerRow{"HugeDecimal", "99999999999999999999999", kDefault},
        IntegerRow{"HexMax", "0x7FFFFFFF", 2147483647},
        // Hexadecimal is a magnitude like any other number: no wrap to negative.
        IntegerRow{"HexAboveMax", "0x80000000", kDefault},
        IntegerRow{"DollarAboveMax", "$FFFFFFFF", kDefault},
        IntegerRow{"EmbeddedNul", "1\0" "2"sv, kDefault}),
    [](const testing::TestParamInfo<IntegerRow>& info) { return std::string(info.param.name); });

TEST(FlagRule, NonzeroIsTrueAndUnreadableGivesTheDefault) {
    EXPECT_TRUE(ParseFlagOr("2", false));
    EXPECT_TRUE(ParseFlagOr("-1", false));
    EXPECT_FALSE(ParseFlagOr("0", true));
    EXPECT_FALSE(ParseFlagOr("yes", false));
    EXPECT_TRUE(ParseFlagOr("yes", true));
    EXPECT_TRUE(ParseFlagOr("", true));
}

}  // namespace
}  // namespace nuthumb
