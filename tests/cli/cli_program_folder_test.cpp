// An installed nuthumb-cli, in a folder its user cannot write or under /opt run by
// root (who could write there), takes the window's settings file from the user's
// configuration folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/cli/cli_process.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/system_program_folder.h"
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

    // The window's settings for a job from in() to out() with names starting
    // with `prefix`.
    void WriteSettings(const std::string& path, const std::string& prefix) const {
        test::WriteText(path, "[SYSTEM]\r\nSrcDir=" + in() + "\r\nDstDir=" + out() + "\r\nFileHead=" + prefix +
                                  "\r\nReadFileMode=0\r\n");
    }

    // Runs the copied program in `folder` as an unprivileged user (or as root with
    // `as_root`) with `config_home` as XDG_CONFIG_HOME (unset when empty); returns
    // its exit status, -2 when it cannot run as that user.
    int RunInstalled(const std::string& config_home, const std::string& folder = "", bool as_root = false) {
        const std::string program = (folder.empty() ? root() + "/bin" : folder) + "/nuthumb-cli";
        const auto prepare = as_root ? +[] { return true; } : test::DropRootPrivileges;
        const std::optional<std::string> status = test::InChild(prepare, [&] {
            ::setenv("HOME", (root() + "/home").c_str(), 1);
            if (config_home.empty())
                ::unsetenv("XDG_CONFIG_HOME");
            else
                ::setenv("XDG_CONFIG_HOME", config_home.c_str(), 1);
            // Its output is captured only to keep it out of the test's.
            const test::ChildEnd cli = test::RunChild({.capture_stdout = true, .capture_stderr = true},
                                                      {program, "--quiet"});
            return std::to_string(cli.exit_code);
        });
        if (!status) return -2;
        return std::stoi(*status);
    }
};

#ifdef NUTHUMB_WINDOW_PATH
// The build tree's two programs lie in one folder, so the command line without
// folders runs the job the window stored there.
TEST(CliBuildTree, LiesBesideTheWindowProgram) {
    EXPECT_EQ(fs::path(NUTHUMB_CLI_PATH).parent_path(), fs::path(NUTHUMB_WINDOW_PATH).parent_path());
}
#endif

TEST_F(CliProgramFolderTest, ReadOnlyProgramFolderReadsTheUsersSettings) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    WriteSettings(root() + "/cfg/nuthumb/nuthumb.ini", "");
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

TEST_F(CliProgramFolderTest, InstalledProgramRunByRootReadsTheUsersSettingsNotItsFolders) {
    test::SystemProgramFolder system;
    if (system.path().empty()) GTEST_SKIP() << "only root can install under /opt";
    fs::copy_file(NUTHUMB_CLI_PATH, system.path() + "/nuthumb-cli");
    test::WriteSampleBitmap(in() + "/a.bmp");
    WriteSettings(system.path() + "/nuthumb.ini", "beside_");
    WriteSettings(root() + "/cfg/nuthumb/nuthumb.ini", "users_");
    EXPECT_EQ(RunInstalled(root() + "/cfg", system.path(), true), 0);
    EXPECT_EQ(test::NamesIn(out()), std::set<std::string>{"users_a.jpg"});
}

}  // namespace
}  // namespace nuthumb
