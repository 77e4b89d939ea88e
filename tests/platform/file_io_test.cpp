#include "platform/file_io.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"
#include "tests/support/write_limit.h"

namespace nuthumb {
namespace {

std::string Text(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

TEST(FileIo, WriteThenReadRoundTripsAndReplaces) {
    TempDir dir;
    const std::string path = dir.path() + "/a.bin";
    WriteFileAtomic(path, std::string_view("first"));
    WriteFileAtomic(path, std::string_view("second, longer"));
    EXPECT_EQ(Text(ReadWholeFile(path)), "second, longer");
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(FileIo, EmptyAndLargeFilesReadWhole) {
    TempDir dir;
    WriteFileAtomic(dir.path() + "/empty", std::string_view());
    EXPECT_TRUE(ReadWholeFile(dir.path() + "/empty").empty());
    std::string big(3 * 65536 + 7, 'x');
    WriteFileAtomic(dir.path() + "/big", big);
    EXPECT_EQ(Text(ReadWholeFile(dir.path() + "/big")), big);
}

TEST(FileIo, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir.path() + "/keep.txt";
    WriteFileAtomic(path, std::string_view("old"));
    {
        FileSizeLimit full(1024);
        EXPECT_THROW(WriteFileAtomic(path, std::string(4096, 'n')), IoError);
    }
    EXPECT_EQ(Text(ReadWholeFile(path)), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()), 1);
}

TEST(FileIo, WriteIntoMissingFolderThrowsWithPath) {
    TempDir dir;
    const std::string path = dir.path() + "/no/such/file";
    try {
        WriteFileAtomic(path, std::string_view("x"));
        FAIL() << "expected IoError";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}

TEST(FileIo, WriteKeepsPermissionsOfExistingFile) {
    TempDir dir;
    const std::string path = dir.path() + "/mode";
    WriteFileAtomic(path, std::string_view("a"));
    ::chmod(path.c_str(), 0640);
    WriteFileAtomic(path, std::string_view("b"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileIo, ExistenceTestsTellFilesFromFolders) {
    TempDir dir;
    WriteFileAtomic(dir.path() + "/f", std::string_view("x"));
    EXPECT_TRUE(FileExists(dir.path() + "/f"));
    EXPECT_FALSE(DirectoryExists(dir.path() + "/f"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path() + "/missing"));
    EXPECT_THROW(ReadWholeFile(dir.path() + "/missing"), IoError);
    EXPECT_THROW(ReadWholeFile(dir.path()), IoError);
}

}  // namespace
}  // namespace nuthumb
