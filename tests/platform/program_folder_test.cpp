#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/in_child.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

fs::perms ModeOf(const std::string& path) { return fs::status(path).permissions(); }

// A program folder "ro" that only root could write, one "rw" that anybody can,
// and a home folder for the user the checks run as.
class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest() {
        fs::permissions(dir_.path(), fs::perms(0755));
        for (const char* name : {"ro", "rw", "home"}) fs::create_directory(Path(name));
        fs::permissions(Path("ro"), fs::perms(0555));
        fs::permissions(Path("rw"), fs::perms(0777));
        fs::permissions(Path("home"), fs::perms(0777));
    }
    std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }

    TempDir dir_;
};

TEST_F(ProgramFolderTest, BesideAWritableProgramElseInTheUsersConfigFolder) {
    const std::optional<std::string> seen = test::RunUnprivileged([&] {
        std::string seen;
        ::setenv("HOME", Path("home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", Path("home/cfg").c_str(), 1);
        seen += ProgramFolderFor(Path("rw/nuthumb")) + "\n";
        seen += ProgramFolderFor(Path("ro/nuthumb")) + "\n";
        ::unsetenv("XDG_CONFIG_HOME");
        seen += ProgramFolderFor(Path("ro/nuthumb")) + "\n";
        ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // not absolute: ignored
        seen += ProgramFolderFor(Path("ro/nuthumb")) + "\n";
        return seen;
    });
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";

    const std::string beside_config = Path("home/cfg/nuthumb");
    const std::string home_config = Path("home/.config/nuthumb");
    EXPECT_EQ(*seen, Path("rw") + "\n" + beside_config + "\n" + home_config + "\n" +
                               home_config + "\n");
    // Created on the way, for this user alone; nothing beside the read-only program.
    EXPECT_EQ(ModeOf(beside_config), fs::perms(0700));
    EXPECT_EQ(ModeOf(home_config), fs::perms(0700));
    EXPECT_TRUE(fs::is_empty(Path("ro")));
    EXPECT_FALSE(fs::exists(Path("rw/relative")));
}

// Installed programs are known by the folder alone; a folder that merely begins
// with a system folder's name, or lies beside the install folder, is not one.
TEST(InstalledProgramTest, SystemFoldersAndTheInstallFolder) {
    for (const char* path : {"/usr/bin/nuthumb", "/usr/local/bin/nuthumb", "/bin/nuthumb", "/sbin/nuthumb",
                             "/opt/nuthumb/bin/nuthumb", "/home/me/../../usr/bin/nuthumb", "/home/me/.local/bin/nuthumb",
                             "/home/me/.local/bin/./nuthumb", "/home/me/.local/bin/tools/nuthumb"})
        EXPECT_TRUE(IsInstalledProgram(path, "/home/me/.local/bin/")) << path;
    for (const char* path : {"/usrx/nuthumb", "/optical/nuthumb", "/usr/../home/me/nuthumb", "/home/me/.local/nuthumb",
                             "/home/me/build/app/nuthumb", "usr/bin/nuthumb", "nuthumb"})
        EXPECT_FALSE(IsInstalledProgram(path, "/home/me/.local/bin")) << path;
    EXPECT_FALSE(IsInstalledProgram("/home/me/nuthumb", ""));
}

// Root can write /usr/bin, and so could any user a folder that lies in the install
// folder; neither program's files go beside it. A build tree's program (outside
// the install folder) keeps them beside itself. Run as whoever runs the tests.
TEST_F(ProgramFolderTest, InstalledProgramUsesTheConfigFolderForEveryUser) {
    fs::create_directory_symlink(Path("rw"), Path("link-to-rw"));
    const std::optional<std::string> seen = test::InChild([] { return true; }, [&] {
        ::setenv("HOME", Path("home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        return ProgramFolderFor("/usr/bin/nuthumb") + "\n" + ProgramFolderFor(Path("rw/nuthumb"), Path("rw")) +
               "\n" + ProgramFolderFor(Path("rw/nuthumb"), Path("link-to-rw")) + "\n" +
               ProgramFolderFor(Path("rw/nuthumb")) + "\n";
    });
    const std::string config = Path("home/.config/nuthumb");
    EXPECT_EQ(seen, config + "\n" + config + "\n" + config + "\n" + Path("rw") + "\n");
    EXPECT_EQ(ModeOf(config), fs::perms(0700));
    EXPECT_TRUE(fs::is_empty(Path("rw")));
}

}  // namespace
}  // namespace nuthumb
