#include "platform/message_name.h"

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/text_codec.h"

namespace nuthumb {
namespace {

std::string Repeat(const std::string& part, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += part;
    return text;
}

TEST(NameForMessage, ShortNamesStayWhole) {
    for (const std::string& name : {std::string(), std::string(512, 'x'), Repeat("写", 170)})
        EXPECT_EQ(NameForMessage(name), name);
}

// The cut keeps about half the room for each end, never half a character, and
// the result is valid UTF-8 of at most 512 bytes whatever the characters' widths.
TEST(NameForMessage, LongNamesKeepStartAndEndAroundTheMark) {
    const std::string names[] = {
        std::string(513, 'x'),
        "/home/a/" + std::string(1 << 20, 'p') + "/photo.jpg",
        Repeat("😀", 200),                 // four bytes: 255 is no multiple of 4
        "a" + Repeat("写真", 300) + "ab",  // three bytes, shifted by one
    };
    for (const std::string& name : names) {
        const std::string shown = NameForMessage(name);
        const std::size_t mark = shown.find(kNameCutMark);
        ASSERT_NE(mark, std::string::npos) << name.size();
        EXPECT_LE(shown.size(), kMaxMessageNameBytes);
        EXPECT_GE(shown.size(), kMaxMessageNameBytes - 6);
        EXPECT_TRUE(IsValidUtf8(shown)) << shown;
        const std::string head = shown.substr(0, mark);
        const std::string tail = shown.substr(mark + kNameCutMark.size());
        EXPECT_EQ(name.compare(0, head.size(), head), 0);
        EXPECT_EQ(name.compare(name.size() - tail.size(), tail.size(), tail), 0);
    }
    EXPECT_EQ(MessageWithName("Filename : ", std::string(600, 'x')).size(), 11 + kMaxMessageNameBytes);
}

TEST(NameForMessage, IoErrorsNameTheFileShortAndKeepTheReason) {
    const std::string path = "/" + std::string(5000, 'd') + "/f";
    try {
        ThrowErrno(kCannotWrite, path, ENOTDIR);
    } catch (const IoError& error) {
        EXPECT_EQ(std::string(error.what()), NameForMessage(path) + " に書き込めません: Not a directory");
        EXPECT_EQ(error.reason(), "Not a directory");
        return;
    }
    ADD_FAILURE() << "nothing thrown";
}

}  // namespace
}  // namespace nuthumb
