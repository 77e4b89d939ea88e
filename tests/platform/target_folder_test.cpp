// Targets written relative to a folder opened once land exactly as targets
// written by path do.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/staged_file.h"
#include "platform/target_folders.h"
#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct LandingCase {
    const char* name;
    // Lays out the folder `d` before staging "t.txt" in it.
    std::function<void(const std::string& d)> before;
    // Changes the folder between staging and publishing.
    std::function<void(const std::string& d)> meanwhile;
    mode_t mode;              // what "t.txt" (or the file it links to) gets
    const char* file_landed;  // the file that holds the new text
};

class StagedInOpenFolder : public testing::TestWithParam<LandingCase> {};

// The permissions: a new file's follow the umask, a replaced file keeps its
// own, also bits the umask would take; a link stays a link to the file that is
// replaced; a file that appears meanwhile is replaced rather than kept. No
// temporary file is left in the folder.
TEST_P(StagedInOpenFolder, LandsAsAWriteByPathWould) {
    const LandingCase& c = GetParam();
    TempDir dir;
    const std::string d = dir.path();
    fs::create_directory(d + "/other");
    if (c.before) c.before(d);
    const std::set<std::string> names_before = NamesIn(d);
    TargetFolders folders;
    StagedFile staged(folders.Open(d + "/t.txt"), d + "/t.txt", Bytes("new"));
    if (c.meanwhile) c.meanwhile(d);
    staged.Sync();
    staged.Publish();
    const std::string landed = d + "/" + c.file_landed;
    EXPECT_EQ(ReadText(landed), "new");
    EXPECT_EQ(ModeOf(landed), c.mode);
    std::set<std::string> expected = names_before;
    expected.insert("t.txt");
    EXPECT_EQ(NamesIn(d), expected);
    for (const std::string& name : NamesIn(d + "/other")) EXPECT_FALSE(name.starts_with(".nuthumb")) << name;
}

const mode_t kNewFileMode = 0666 & ~ProcessUmask();

INSTANTIATE_TEST_SUITE_P(
    Cases, StagedInOpenFolder,
    testing::Values(
        LandingCase{"New", nullptr, nullptr, kNewFileMode, "t.txt"},
        LandingCase{"ReplacesPrivateFile",
                    [](const std::string& d) {
                        WriteText(d + "/t.txt", "old");
                        ::chmod((d + "/t.txt").c_str(), 0600);
                    },
                    nullptr, 0600, "t.txt"},
        LandingCase{"KeepsBitsTheUmaskWouldTake",
                    [](const std::string& d) {
                        WriteText(d + "/t.txt", "old");
                        ::chmod((d + "/t.txt").c_str(), 0777);
                    },
                    nullptr, 0777, "t.txt"},
        LandingCase{"FollowsALink",
                    [](const std::string& d) {
                        WriteText(d + "/other/real.txt", "old");
                        ::chmod((d + "/other/real.txt").c_str(), 0640);
                        fs::create_symlink("other/real.txt", d + "/t.txt");
                    },
                    nullptr, 0640, "other/real.txt"},
        LandingCase{"ReplacesAFileThatAppearedMeanwhile", nullptr,
                    [](const std::string& d) { WriteText(d + "/t.txt", "someone else's"); }, kNewFileMode,
                    "t.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

// A run through thousands of folders holds only a few open; the folder a file
// lies in is found again for the files after it.
TEST(TargetFolders, KeepsTheLatestFewFolders) {
    TempDir dir;
    TargetFolders folders;
    const auto in = [&](int i) { return dir.path() + "/d" + std::to_string(i); };
    for (int i = 0; i < 20; ++i) fs::create_directory(in(i));
    EXPECT_EQ(folders.Known(in(0) + "/a.jpg"), nullptr);
    const std::shared_ptr<const TargetFolder> first = folders.Open(in(0) + "/a.jpg");
    EXPECT_EQ(folders.Known(in(0) + "/b.jpg"), first);
    for (int i = 1; i < 20; ++i) folders.Open(in(i) + "/a.jpg");
    EXPECT_EQ(folders.Known(in(0) + "/c.jpg"), nullptr);
    EXPECT_NE(folders.Known(in(19) + "/c.jpg"), nullptr);
    EXPECT_THROW(folders.Open(dir.path() + "/missing/a.jpg"), IoError);
}

}  // namespace
}  // namespace nuthumb
