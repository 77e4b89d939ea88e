#include <gtest/gtest.h>

#include "platform/path_util.h"
#include "platform/text_codec.h"
#include "tests/support/text_samples.h"

namespace nuthumb {
namespace {

using test::Esc;

TEST(TextCodec, Cp932RoundTripsJapaneseAndFullWidthMinus) {
    const std::string jp = "サムネイル作成中 : ";
    const auto bytes = EncodeCp932(jp);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 2), "\x83\x54");  // サ
    EXPECT_EQ(DecodeCp932(*bytes), jp);
    // U+FF0D maps to 81 7C only in CP932, not in plain Shift-JIS.
    EXPECT_EQ(EncodeCp932("\xEF\xBC\x8D"), std::string("\x81\x7C"));
}

TEST(TextCodec, UnrepresentableOrInvalidTextIsRefusedNotReplaced) {
    EXPECT_FALSE(EncodeCp932("caf\xC3\xA9"));        // é has no CP932 form
    EXPECT_FALSE(EncodeCp932("\xFF"));               // not UTF-8
}

struct UndecodableRow {
    const char* name;
    bool cp932;  // else UTF-8
    std::string bytes;
    std::string text;
};

class UndecodableBytes : public testing::TestWithParam<UndecodableRow> {};

TEST_P(UndecodableBytes, TravelAsEscapesAndGoBackByteForByte) {
    const UndecodableRow& row = GetParam();
    const std::string text = row.cp932 ? DecodeCp932(row.bytes) : DecodeUtf8(row.bytes);
    EXPECT_EQ(text, row.text);
    EXPECT_TRUE(IsValidUtf8(text));
    if (row.cp932) EXPECT_EQ(EncodeCp932(text), row.bytes);
    else EXPECT_EQ(EncodeUtf8(text), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UndecodableBytes,
    testing::Values(
        UndecodableRow{"Cp932LatinOneEdit", true, "caf\xE9", "caf" + Esc(0xE9)},
        UndecodableRow{"Cp932LeadBeforeABlank", true, "\x81 x", Esc(0x81) + " x"},
        UndecodableRow{"Cp932UnassignedPairKeepsItsSecondByte", true, "\x85\x40", Esc(0x85) + "@"},
        UndecodableRow{"Cp932StrayBytes", true, "\x80\xA0\xFD\xFE\xFF",
                       Esc(0x80) + Esc(0xA0) + Esc(0xFD) + Esc(0xFE) + Esc(0xFF)},
        UndecodableRow{"Cp932LeadAtTheEnd", true, "\x8E\xCA\x83", "写" + Esc(0x83)},
        UndecodableRow{"Utf8LatinOneEdit", false, "caf\xE9", "caf" + Esc(0xE9)},
        UndecodableRow{"Utf8CutShort", false, "\xE6\x97.", Esc(0xE6) + Esc(0x97) + "."},
        UndecodableRow{"Utf8Overlong", false, "\xC0\xAF", Esc(0xC0) + Esc(0xAF)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextCodec, EscapesThatWouldJoinIntoACharacterAreNotWrittenAsBytes) {
    // C3 A9 is "é" in UTF-8 and "ﾃｩ" in CP932; 81 41 is "、".
    const std::string joined = Esc(0xC3) + Esc(0xA9);
    EXPECT_EQ(EncodeUtf8(joined), joined);
    EXPECT_EQ(DecodeUtf8(joined), joined);
    EXPECT_FALSE(EncodeCp932(joined));
    EXPECT_FALSE(EncodeCp932(Esc(0x81) + "A"));
}

TEST(TextCodec, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("\xE3\x81\x82"));        // あ
    EXPECT_FALSE(IsValidUtf8("\x83\x54"));           // CP932 サ
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));           // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));       // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));           // cut short
}

TEST(TextCodec, PrefixesNeverCutACharacter) {
    EXPECT_EQ(Utf8PrefixLength("a\xE3\x81\x82", 3), 1u);
    EXPECT_EQ(Utf8PrefixLength("a\xE3\x81\x82", 4), 4u);
    EXPECT_EQ(Cp932PrefixLength("a\x83\x54", 2), 1u);
    EXPECT_EQ(Cp932PrefixLength("a\x83\x54", 3), 3u);
    // 0x83 0x83 is one character: the second byte is a trail, not a new lead.
    EXPECT_EQ(Cp932PrefixLength("\x83\x83\x83\x54", 3), 2u);
    // Bytes that are no character count one by one: junk is never cut to nothing.
    EXPECT_EQ(Utf8PrefixLength(std::string(3000, '\x80'), 2047), 2047u);
    EXPECT_EQ(Utf8PrefixLength("ab\xE3\x81", 3), 3u);
    EXPECT_EQ(Cp932PrefixLength("a\x81 b", 2), 2u);
}

struct ExtensionRow {
    const char* name;
    const char* path;
    const char* ext;
    const char* replaced;
    friend void PrintTo(const ExtensionRow& row, std::ostream* os) { *os << row.path; }
};

class PathExtension : public testing::TestWithParam<ExtensionRow> {};

TEST_P(PathExtension, ExtensionIsTakenFromTheFileNameOnly) {
    EXPECT_EQ(ExtensionOf(GetParam().path), GetParam().ext);
    EXPECT_EQ(ReplaceExtension(GetParam().path, ".bmp"), GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PathExtension,
    testing::Values(ExtensionRow{"LastDotCounts", "/d/a.b.JPG", ".JPG", "/d/a.b.bmp"},
                    ExtensionRow{"DotInFolderIgnored", "/d.x/name", "", "/d.x/name.bmp"},
                    ExtensionRow{"TrailingDot", "name.", ".", "name.bmp"},
                    ExtensionRow{"DotFile", "/d/.hidden", ".hidden", "/d/.bmp"}),
    [](const testing::TestParamInfo<ExtensionRow>& row) { return std::string(row.param.name); });

TEST(PathUtil, SplitsAndJoins) {
    EXPECT_EQ(JoinPath("/a/b", "c.jpg"), "/a/b/c.jpg");
    EXPECT_EQ(FileNamePart("/a/b/c.jpg"), "c.jpg");
    EXPECT_EQ(FileNamePart("c.jpg"), "c.jpg");
    EXPECT_EQ(DirectoryPart("/a/b/c.jpg"), "/a/b");
    EXPECT_EQ(DirectoryPart("/c.jpg"), "/");
    EXPECT_EQ(DirectoryPart("c.jpg"), "");
    EXPECT_EQ(AsciiLower("A.JPG"), "a.jpg");
}

}  // namespace
}  // namespace nuthumb
