#include "platform/source_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

std::string ReadText(const SourceFile& file, std::uint64_t offset, std::size_t count) {
    std::string text(count, '\0');
    text.resize(file.ReadAt(offset, {reinterpret_cast<std::uint8_t*>(text.data()), count}));
    return text;
}

// Reads see the file as it was when it was opened: bytes appended later are not
// part of it, bytes cut off later read short, like a cut file.
TEST(SourceFile, ReadsAtOffsetsWithinTheSizeItWasOpenedWith) {
    TempDir dir;
    const std::string path = dir.path() + "/a.bmp";
    WriteFileAtomic(path, std::string_view("0123456789"));
    const SourceFile file(path, 10);
    EXPECT_EQ(file.size(), 10u);
    EXPECT_EQ(ReadText(file, 3, 4), "3456");
    EXPECT_EQ(ReadText(file, 8, 4), "89");
    EXPECT_EQ(ReadText(file, 10, 4), "");
    std::ofstream(path, std::ios::app) << "abc";
    EXPECT_EQ(ReadText(file, 8, 4), "89");
    ASSERT_EQ(::truncate(path.c_str(), 5), 0);
    EXPECT_EQ(ReadText(file, 3, 4), "34");
}

// The head read for the format serves the decoder's reads from memory; reads
// past it, and across its end, come from the file as before.
TEST(SourceFile, TheHeadIsReadOnceAndReadsAcrossItsEndAreWhole) {
    TempDir dir;
    const std::string path = dir.path() + "/a.jpg";
    std::string bytes(SourceFile::kHeadBytes + 1000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
    WriteFileAtomic(path, std::string_view(bytes));
    SourceFile file(path, bytes.size());
    EXPECT_EQ(file.ReadHead().size(), SourceFile::kHeadBytes);
    EXPECT_EQ(ReadText(file, 0, bytes.size()), bytes);
    EXPECT_EQ(ReadText(file, SourceFile::kHeadBytes - 10, 20), bytes.substr(SourceFile::kHeadBytes - 10, 20));
    // Cut after the head was read: the head stays as read, the rest reads short.
    ASSERT_EQ(::truncate(path.c_str(), 5), 0);
    EXPECT_EQ(ReadText(file, 3, 4), bytes.substr(3, 4));
    EXPECT_EQ(ReadText(file, SourceFile::kHeadBytes - 2, 4), bytes.substr(SourceFile::kHeadBytes - 2, 2));
}

TEST(SourceFile, RefusesMoreThanTheLargestSizeAllowed) {
    TempDir dir;
    const std::string path = dir.path() + "/a.jpg";
    WriteFileAtomic(path, std::string_view("0123456789"));
    EXPECT_NO_THROW(SourceFile(path, 10));
    try {
        SourceFile(path, 9);
        ADD_FAILURE() << "a file over the limit was opened";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()),
                  path + " を読み込めません: 10 バイトあり、元の画像に許される 9 バイトを超えています");
    }
}

}  // namespace
}  // namespace nuthumb
