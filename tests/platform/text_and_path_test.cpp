#include <gtest/gtest.h>

#include "platform/path_util.h"
#include "platform/text_codec.h"

namespace nuthumb {
namespace {

TEST(TextCodec, Cp932RoundTripsJapaneseAndFullWidthMinus) {
    const std::string jp = "サムネイル作成中 : ";
    const auto bytes = Utf8ToCp932(jp);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 2), "\x83\x54");  // サ
    EXPECT_EQ(Cp932ToUtf8(*bytes), jp);
    // U+FF0D maps to 81 7C only in CP932, not in plain Shift-JIS.
    EXPECT_EQ(Utf8ToCp932("\xEF\xBC\x8D"), std::string("\x81\x7C"));
}

TEST(TextCodec, UnrepresentableOrInvalidTextIsRefusedNotReplaced) {
    EXPECT_FALSE(Utf8ToCp932("caf\xC3\xA9"));        // é has no CP932 form
    EXPECT_FALSE(Utf8ToCp932("\xFF"));               // not UTF-8
    EXPECT_FALSE(Cp932ToUtf8("\x83"));               // lead byte without trail
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
