// Removing what a run made below its destination, and nothing a link, another
// file or a folder that is not empty stands for.
#include "platform/remove_below.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

TEST(RemoveFileBelow, RemovesOnlyTheKnownFileReachedWithoutLinks) {
    TempDir dir;
    const std::string root = dir.path() + "/dst", outside = dir.path() + "/outside";
    fs::create_directories(root + "/a");
    fs::create_directories(outside);
    test::WriteText(root + "/a/t.jpg", "thumb");
    test::WriteText(outside + "/t.jpg", "not ours");
    fs::create_directory_symlink(outside, root + "/link");
    fs::create_symlink(outside + "/t.jpg", root + "/file-link.jpg");
    const auto yes = [](const FileIdentity&) { return true; };
    const auto no = [](const FileIdentity&) { return false; };
    const struct {
        const char* relative;
        bool ours;
        Removal removal;
    } rows[] = {
        {"link/t.jpg", true, Removal::kChanged},     // a folder that became a link leads nowhere
        {"file-link.jpg", true, Removal::kChanged},  // a link is never removed in a file's stead
        {"a", true, Removal::kChanged},              // nor a folder
        {"a/t.jpg", false, Removal::kChanged},       // nor a file that is no longer the one made
        {"gone/t.jpg", true, Removal::kGone},
        {"a/t.jpg", true, Removal::kRemoved},
        {"a/t.jpg", true, Removal::kGone},
    };
    for (const auto& row : rows) {
        std::string reason;
        EXPECT_EQ(RemoveFileBelow(root, row.relative, row.ours ? +yes : +no, reason), row.removal) << row.relative;
    }
    EXPECT_EQ(test::ReadText(outside + "/t.jpg"), "not ours");
    EXPECT_TRUE(fs::is_symlink(root + "/file-link.jpg"));

    test::WriteText(root + "/a/mine.txt", "");
    EXPECT_FALSE(RemoveEmptyFolderBelow(root, "a"));
    EXPECT_FALSE(RemoveEmptyFolderBelow(root, "link"));
    fs::remove(root + "/a/mine.txt");
    EXPECT_TRUE(RemoveEmptyFolderBelow(root, "a"));
    EXPECT_TRUE(fs::exists(outside));
}

}  // namespace
}  // namespace nuthumb
