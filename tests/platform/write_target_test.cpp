// Writes through links and straight into streams. (What a write refuses is
// tested through RunFolder, with the messages the user sees.)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "platform/direct_write.h"
#include "platform/file_io.h"
#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;

TEST(WriteTarget, LinksAreFollowedToTheFileTheyNameAndStayLinks) {
    TempDir dir;
    const std::string d = dir.path();
    for (const char* sub : {"/a", "/b", "/c"}) fs::create_directory(d + sub);
    WriteFileAtomic(d + "/c/real.txt", std::string_view("old"));
    ::chmod((d + "/c/real.txt").c_str(), 0640);
    // A relative link to an absolute one: each is read against its own folder.
    fs::create_symlink("../b/second", d + "/a/first");
    fs::create_symlink(d + "/c/real.txt", d + "/b/second");
    fs::create_symlink("new.txt", d + "/c/dangling");

    WriteFileAtomic(d + "/a/first", std::string_view("new"));
    WriteFileAtomic(d + "/c/dangling", std::string_view("created"));

    EXPECT_TRUE(fs::is_symlink(d + "/a/first"));
    EXPECT_TRUE(fs::is_symlink(d + "/b/second"));
    EXPECT_TRUE(fs::is_symlink(d + "/c/dangling"));
    EXPECT_EQ(ReadText(d + "/c/real.txt"), "new");
    EXPECT_EQ(ReadText(d + "/c/new.txt"), "created");
    EXPECT_EQ(fs::status(d + "/c/real.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // No temporary file left in any of the folders.
    EXPECT_EQ(NamesIn(d + "/a"), std::set<std::string>{"first"});
    EXPECT_EQ(NamesIn(d + "/b"), std::set<std::string>{"second"});
    EXPECT_EQ(NamesIn(d + "/c"), (std::set<std::string>{"dangling", "new.txt", "real.txt"}));
}

TEST(WriteFileOrDevice, StreamsAreWrittenDirectlyOthersReplaced) {
    TempDir dir;
    const std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reads yet: an error at once, not a wait.
    EXPECT_THROW(WriteFileOrDevice(fifo, std::string_view("x")), IoError);

    auto reader = std::async(std::launch::async, [&] { return ReadText(fifo); });
    // The reader's open must come first; retry until it has.
    bool written = false;
    for (int i = 0; i < 2000 && !written; ++i) {
        try {
            WriteFileOrDevice(fifo, std::string_view("through the pipe"));
            written = true;
        } catch (const IoError&) {
            ::usleep(1000);
        }
    }
    ASSERT_TRUE(written);
    EXPECT_EQ(reader.get(), "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));

    const std::string link = dir.path() + "/null";
    fs::create_symlink("/dev/null", link);
    WriteFileOrDevice(link, std::string_view("discarded"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    WriteFileOrDevice(dir.path() + "/plain", std::string_view("a file"));
    EXPECT_EQ(ReadText(dir.path() + "/plain"), "a file");
}

}  // namespace
}  // namespace nuthumb
