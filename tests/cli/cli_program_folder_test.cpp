// An installed nuthumb-cli, in a folder its user cannot write, takes the window's
// settings file from the user's configuration folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/cli_process.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

class CliProgramFolderTest : public ::testing::Test, protected test::RunFolders {
protected:
    CliProgramFolderTest() {
        fs::permissions(root(), fs::perms(0755));
        fs::permissions(out(), fs::perms(0777));
        fs::create_directories(root() + "/cfg/nuthumb");
        fs::create_directory(root() + "/home");
        fs::create_directory(root() + "/bin");
        fs::copy_file(NUTHUMB_CLI_PATH, root() + "/bin/nuthumb-cli");
        fs::permissions(root() + "/bin", fs::perms(0555));
        fs::permissions(root() + "/home", fs::perms(0777));
        fs::permissions(root() + "/cfg/nuthumb", fs::perms(0777));
    }

    // Runs the copied program as an unprivileged user with `config_home` as
    // XDG_CONFIG_HOME (unset when empty); returns its exit status.
    int RunInstalled(const std::string& config_home) {
        const std::optional<std::string> status = test::RunUnprivileged([&] {
            ::setenv("HOME", (root() + "/home").c_str(), 1);
            if (config_home.empty())
                ::unsetenv("XDG_CONFIG_HOME");
            else
                ::setenv("XDG_CONFIG_HOME", config_home.c_str(), 1);
            // Its output is captured only to keep it out of the test's.
            const test::ChildEnd cli = test::RunChild({.capture_stdout = true, .capture_stderr = true},
                                                      {root() + "/bin/nuthumb-cli", "--quiet"});
            return std::to_string(cli.exit_code);
        });
        if (!status) return -2;
        return std::stoi(*status);
    }
};

TEST_F(CliProgramFolderTest, ReadOnlyProgramFolderReadsTheUsersSettings) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    test::WriteText(root() + "/cfg/nuthumb/nuthumb.ini", "[SYSTEM]\r\nSrcDir=" + in() +
                                                             "\r\nDstDir=" + out() +
                                                             "\r\nReadFileMode=0\r\n");
    const int status = RunInstalled(root() + "/cfg");
    if (status == -2) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::NamesIn(out()), std::set<std::string>{"a.jpg"});

    // Without the variable the file is looked for in ~/.config, which holds none:
    // no folders are set, and the program says so (exit 2) without writing anything.
    EXPECT_EQ(RunInstalled(""), 2);
    EXPECT_TRUE(fs::is_directory(root() + "/home/.config/nuthumb"));
    EXPECT_TRUE(fs::is_empty(root() + "/home/.config/nuthumb"));
    EXPECT_EQ(test::NamesIn(root() + "/bin"), std::set<std::string>{"nuthumb-cli"});
}

}  // namespace
}  // namespace nuthumb
