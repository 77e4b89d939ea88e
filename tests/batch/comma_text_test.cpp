#include "batch/comma_text.h"

#include <gtest/gtest.h>

namespace nuthumb {
namespace {

struct SplitRow {
    const char* name;
    std::string line;
    std::vector<std::string> fields;
    bool quotes_paired = true;
    friend void PrintTo(const SplitRow& row, std::ostream* os) { *os << row.name; }
};

class SplitCommaTextTest : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitCommaTextTest, Splits) {
    const CommaFields split = SplitCommaTextChecked(GetParam().line);
    EXPECT_EQ(split.fields, GetParam().fields);
    EXPECT_EQ(split.quotes_paired, GetParam().quotes_paired);
    EXPECT_EQ(SplitCommaText(GetParam().line), GetParam().fields);
}

using V = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitCommaTextTest,
    ::testing::Values(
        SplitRow{"RegisteredEntry",
                 R"("/home/写真 1,2","1","D:","0","t_","","120","2","1")",
                 V{"/home/写真 1,2", "1", "D:", "0", "t_", "", "120", "2", "1"}},
        SplitRow{"HandTypedWithEmptySixth", R"(D:\in,1,D:\out,1,t_,,120,2,1)",
                 V{"D:\\in", "1", "D:\\out", "1", "t_", "", "120", "2", "1"}},
        SplitRow{"BlankSplitsAnUnquotedFolder", "D:\\my photos,1,D:\\out,1,,,120,2,1",
                 V{"D:\\my", "photos", "1", "D:\\out", "1", "", "", "120", "2", "1"}},
        SplitRow{"UnescapedQuoteGivesTen", R"("in","1","out","1","a"b","","120","2","1")",
                 V{"in", "1", "out", "1", "a", "b\"", "", "120", "2", "1"}, false},
        SplitRow{"TrailingCommaGivesAnEmptyLastField", R"("a","b",)", V{"a", "b", ""}},
        SplitRow{"CommaThenBlankAtTheEndGivesNothing", "a, ", V{"a"}},
        SplitRow{"DoubledQuotesStandForOne", R"("say ""hi""",x)", V{"say \"hi\"", "x"}},
        SplitRow{"UnclosedQuoteLosesTheLastCharacter", R"(x,"abc)", V{"x", "ab"}, false},
        SplitRow{"UnclosedQuoteLosesAWholeMultibyteCharacter", "\"ab写\u3042", V{"ab写"}, false},
        SplitRow{"UnclosedQuoteLosesAWholeFourByteCharacter", "\"a😀", V{"a"}, false},
        SplitRow{"QuoteAndOneCharacterIsEmpty", R"("a)", V{""}, false},
        SplitRow{"LoneQuoteIsEmpty", R"(a,")", V{"a", ""}, false},
        SplitRow{"ClosingQuoteLastAfterAPair", R"("a""")", V{"a\""}},
        SplitRow{"EmptyLine", "", V{}},
        SplitRow{"BlanksAndControlsOnly", " \t\r\n\x01\x1f ", V{}},
        SplitRow{"ControlsAroundFieldsAreSkipped", "\t a \x01,\x1f b\r\n", V{"a", "b"}},
        SplitRow{"TwoCommasGiveAnEmptyField", "a,,b", V{"a", "", "b"}},
        SplitRow{"LeadingCommaGivesAnEmptyFirstField", ",a", V{"", "a"}},
        SplitRow{"QuotedFieldsWithoutCommas", R"("a" "b""c"d)", V{"a", "b\"c", "d"}, false},
        SplitRow{"TextAfterAClosingQuoteIsTheNextField", R"("a"b,c)", V{"a", "b", "c"}, false},
        SplitRow{"QuoteInsideAPlainValue", R"(a"b,c)", V{"a\"b", "c"}, false},
        SplitRow{"NulEndsTheLine", std::string("a,b\0,c", 6), V{"a", "b"}},
        SplitRow{"MultibyteTextIsNeverAQuoteCommaOrBlank",
                 "写真\u3000一覧,\u201Cq\u201D,\uFF0C", V{"写真\u3000一覧", "\u201Cq\u201D", "\uFF0C"}},
        SplitRow{"HighBytesAreNotBlanks", "\xFF\x80,\xC3\xA9 x", V{"\xFF\x80", "\xC3\xA9", "x"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
