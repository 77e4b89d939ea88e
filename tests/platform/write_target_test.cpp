// Writes through links and straight into streams. (What a write refuses is
// tested through RunFolder, with the messages the user sees.)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "platform/direct_write.h"
#include "platform/file_io.h"
#include "platform/staged_file.h"
#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

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

namespace nuthumb {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A staged file has no name where the file system allows it, so a killed run
// leaves nothing; where it has one (the fallback), its owner's lock keeps it from
// being taken for stale. Either way it lands in the folder opened when staging,
// even after that folder is renamed, and a failed rename leaves nothing behind.
TEST(StagedFile, UnnamedOrLockedUntilInPlaceInTheFolderItWasStagedIn) {
    for (const StagedFile::Naming naming : {StagedFile::Naming::kUnnamedWherePossible, StagedFile::Naming::kNamed}) {
        TempDir dir;
        const std::string before = dir.path() + "/before", after = dir.path() + "/after";
        fs::create_directory(before);
        {
            StagedFile kept(before + "/kept.txt", Bytes("kept"), naming);
            StagedFile refused(before + "/refused.txt", Bytes("refused"), naming);
            const bool named = naming == StagedFile::Naming::kNamed;
            EXPECT_EQ(kept.unnamed(), !named);
            EXPECT_EQ(NamesIn(before).size(), named ? 2u : 0u);
            EXPECT_EQ(RemoveStaleTempFiles(before), 0) << "a live owner holds them";

            fs::rename(before, after);
            fs::create_directory(after + "/refused.txt");  // a rename over a folder fails
            kept.Sync();
            kept.Publish();
            EXPECT_THROW(refused.Publish(), IoError);
            struct stat st {};
            ASSERT_EQ(::stat((after + "/kept.txt").c_str(), &st), 0);
            EXPECT_EQ(kept.node().inode, st.st_ino);
        }
        EXPECT_EQ(ReadText(after + "/kept.txt"), "kept");
        EXPECT_EQ(NamesIn(after), (std::set<std::string>{"kept.txt", "refused.txt"})) << int(naming);
    }
}

// Only files of the temporary naming that nobody holds are stale, and only the
// current user's: a killed run's are removed, nothing else is.
TEST(StagedFile, StaleTemporaryFilesAreTheUnheldOnesOfOurNaming) {
    TempDir dir;
    const std::string d = dir.path();
    for (const char* name : {"/.nuthumb-Ab3xY9", "/.nuthumb-000000", "/.nuthumb-short", "/.nuthumb-toolong1",
                             "/nuthumb-Ab3xY9", "/.nuthumb-Ab3x-9", "/.nuthumb-other1"})
        WriteText(d + name, "x");
    fs::create_directory(d + "/.nuthumb-folder");
    ASSERT_EQ(::chown((d + "/.nuthumb-other1").c_str(), 65534, 65534), 0);
    const StagedFile live(d + "/live.txt", Bytes("live"), StagedFile::Naming::kNamed);

    EXPECT_EQ(RemoveStaleTempFiles(d), 2);
    std::set<std::string> left = NamesIn(d);
    EXPECT_EQ(left.size(), 7u) << "five files, the folder, the live one";
    EXPECT_FALSE(left.contains(".nuthumb-Ab3xY9") || left.contains(".nuthumb-000000"));
    EXPECT_TRUE(left.contains(".nuthumb-other1")) << "another user's";
    EXPECT_EQ(RemoveStaleTempFiles(d + "/missing"), 0);
}

// The kernel follows a link to the file replaced, so its rule against links that
// another user planted in a sticky world-writable folder holds.
TEST(StagedFile, ALinkPlantedByAnotherUserInAStickyFolderIsNotFollowed) {
    if (ReadText("/proc/sys/fs/protected_symlinks").starts_with("0"))
        GTEST_SKIP() << "fs.protected_symlinks is off on this machine";
    TempDir dir;
    const std::string shared = dir.path() + "/shared", victim = dir.path() + "/victim.txt";
    fs::create_directory(shared);
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(shared.c_str(), 01777);
    WriteText(victim, "precious");
    ASSERT_EQ(::symlink(victim.c_str(), (shared + "/t.jpg").c_str()), 0);
    ASSERT_EQ(::lchown((shared + "/t.jpg").c_str(), 65534, 65534), 0);
    EXPECT_THROW(WriteFileAtomic(shared + "/t.jpg", std::string_view("replaced")), IoError);
    EXPECT_EQ(ReadText(victim), "precious");
    EXPECT_EQ(NamesIn(shared), std::set<std::string>{"t.jpg"});
}

}  // namespace
}  // namespace nuthumb
