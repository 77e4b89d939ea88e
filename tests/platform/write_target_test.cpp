// Writes through links and straight into streams. (What a write refuses is
// tested through RunFolder, with the messages the user sees.)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <future>
#include <optional>

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

// The name a run gave its staged file before it was killed: a child stages a file
// where unnamed ones are refused and ends without cleaning up. Its last write is
// put `age` back.
std::string KilledRunsFile(const std::string& folder, std::chrono::seconds age) {
    const std::set<std::string> before = NamesIn(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        std::optional<StagedFile> staged;
        staged.emplace(folder + "/target.txt", Bytes("staged"), StagedFile::Naming::kNamed);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::string name;
    for (const std::string& n : NamesIn(folder))
        if (!before.contains(n)) name = n;
    const timespec times[2] = {{std::time(nullptr) - age.count(), 0}, {std::time(nullptr) - age.count(), 0}};
    ::utimensat(AT_FDCWD, (folder + "/" + name).c_str(), times, 0);
    return name;
}

// Only files of our naming that nobody holds, that are the current user's and
// old enough are stale: a killed run's are removed; a live run's, a recent one
// (a run on another machine may own it), another user's and a user's own file
// named like ours are not.
TEST(StagedFile, StaleTemporaryFilesAreOnlyOldUnheldOnesOfOurNaming) {
    TempDir dir;
    const std::string d = dir.path();
    const auto old = 2 * kStaleTempFileAge;
    const std::string stale = KilledRunsFile(d, old), recent = KilledRunsFile(d, std::chrono::seconds(60)),
                      others = KilledRunsFile(d, old);
    ASSERT_EQ(::chown((d + "/" + others).c_str(), 65534, 65534), 0);
    const std::set<std::string> users = {".nuthumb-abcdef", ".nuthumb-Ab3xY9", "nuthumb-Ab3xY9", stale + "x",
                                         stale.substr(0, stale.size() - 1) + (stale.back() == 'A' ? "B" : "A")};
    for (const std::string& name : users) {
        WriteText(d + "/" + name, "x");
        const timespec times[2] = {{std::time(nullptr) - old.count(), 0}, {std::time(nullptr) - old.count(), 0}};
        ::utimensat(AT_FDCWD, (d + "/" + name).c_str(), times, 0);
    }
    fs::create_directory(d + "/.nuthumb-folder");
    const StagedFile live(d + "/live.txt", Bytes("live"), StagedFile::Naming::kNamed);

    EXPECT_EQ(RemoveStaleTempFiles(d), 1);
    const std::set<std::string> left = NamesIn(d);
    EXPECT_FALSE(left.contains(stale));
    for (const std::string& name : users) EXPECT_TRUE(left.contains(name)) << name;
    EXPECT_TRUE(left.contains(recent) && left.contains(others));
    EXPECT_EQ(left.size(), users.size() + 4) << "the recent, the other user's, the folder, the live one";
    EXPECT_EQ(RemoveStaleTempFiles(d, std::chrono::seconds(0)), 1) << "the recent one; the live one is held";
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
