// The window program as its user meets it: copied into a folder that user cannot
// write, or installed (under /opt, run as root, who could write there), it keeps
// its settings and exports its error list in the user's configuration folder;
// copied into a writable folder, beside itself. The copies in other folders than
// /opt run as an unprivileged user (tests/support/unprivileged.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "run/run_folder.h"
#include "tests/app/program_run.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/system_program_folder.h"
#include "tests/support/unprivileged.h"
#include "ui/window_messages.h"

namespace nuthumb::test {
namespace {

namespace fs = std::filesystem;

enum class Place { kReadOnly, kWritable, kInstalled };

std::ostream& operator<<(std::ostream& out, Place place) {
    return out << (place == Place::kReadOnly ? "ReadOnly" : place == Place::kWritable ? "Writable" : "InstalledRunByRoot");
}

class WindowProgramFolderTest : public ::testing::TestWithParam<Place>, protected RunFolders {
protected:
    WindowProgramFolderTest() {
        for (const char* name : {"bin", "home", "cfg"}) fs::create_directory(root() + "/" + name);
        for (const char* name : {"", "/in"}) fs::permissions(root() + name, fs::perms(0755));
        for (const char* name : {"/out", "/home", "/cfg"}) fs::permissions(root() + name, fs::perms(0777));
        if (Bin().empty()) return;
        CopyProgram();
    }
    ~WindowProgramFolderTest() override { fs::permissions(root() + "/bin", fs::perms(0755)); }

    bool Writable() const { return GetParam() == Place::kWritable; }
    bool Installed() const { return GetParam() == Place::kInstalled; }
    // Empty when this machine cannot install (not root).
    std::string Bin() const { return Installed() ? system_.path() : root() + "/bin"; }
    // Where the program's files must land.
    std::string Files() const { return Writable() ? Bin() : root() + "/cfg/nuthumb"; }

    void CopyProgram() const {
        if (!Installed()) fs::permissions(Bin(), fs::perms(0777));
        fs::copy_file(NUTHUMB_WINDOW_PROBE_PATH, Bin() + "/nuthumb", fs::copy_options::overwrite_existing);
        if (!Installed()) fs::permissions(Bin(), fs::perms(Writable() ? 0777 : 0555));
    }

    // Runs the copied program with `args` (as the unprivileged user, or as root
    // when installed); returns what it printed, or nullopt when this machine cannot
    // run it as that user.
    std::optional<std::string> Run(const std::string& args) const {
        if (Bin().empty()) return std::nullopt;
        return InChild(Installed() ? +[] { return true; } : DropRootPrivileges, [&] {
            ::setenv("HOME", (root() + "/home").c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (root() + "/cfg").c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const ProgramRun run = RunCommand(Bin() + "/nuthumb " + args, root() + "/home/stderr");
            if (run.status == 0) return run.out;
            return run.out + "status " + std::to_string(run.status) + "\n" + run.err;
        });
    }

    SystemProgramFolder system_;
};

TEST_P(WindowProgramFolderTest, SettingsAndErrorListLieWhereTheRuleSaysAndSurviveARestart) {
    WriteSampleBitmap(in() + "/a.bmp");
    WriteText(in() + "/broken.bmp", "BM not a bitmap");
    // In the writable folder the program also loses its own file before the exit,
    // as a rebuild or an upgrade does; it must keep its files' names all the same.
    const std::optional<std::string> first =
        Run(std::string(Writable() ? "--remove-self " : "") + in() + " " + out() + " 123");
    if (!first) GTEST_SKIP() << "cannot run as that user here";
    EXPECT_EQ(*first, std::string("size 50\nbox ") + RunResultMessage(1) + "||" + RunCountsText({1, 0, 1}) +
                          "\nbox " + kSingleRunExportQuestion + "|Filename : " + Files() + "/NuThumb.Err\n");
    EXPECT_EQ(NamesIn(out()), std::set<std::string>{"a.jpg"});
    EXPECT_EQ(ReadText(Files() + "/NuThumb.Err"), in() + "/broken.bmp\r\n");
    EXPECT_NE(ReadText(Files() + "/nuthumb.ini").find("\r\nSize=123\r\n"), std::string::npos);
    if (Writable()) {
        EXPECT_FALSE(fs::exists(root() + "/cfg/nuthumb"));
        CopyProgram();
    } else {
        EXPECT_EQ(NamesIn(Bin()), std::set<std::string>{"nuthumb"});
        EXPECT_EQ(fs::status(Files()).permissions(), fs::perms(0700));
    }

    EXPECT_EQ(Run(""), "size 123\n");
}

// A source folder that exists but cannot be listed is said to be so, with the
// reason; it is not reported as a folder without files, and nothing follows. Only
// for the unprivileged runs: root reads every folder.
using UnreadableSourceTest = WindowProgramFolderTest;

TEST_P(UnreadableSourceTest, UnreadableSourceFolderIsNotAnEmptyOne) {
    WriteSampleBitmap(in() + "/a.bmp");
    fs::permissions(in(), fs::perms::none);
    const std::optional<std::string> seen = Run(in() + " " + out() + " 60");
    fs::permissions(in(), fs::perms(0755));
    if (!seen) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*seen, "size 50\nbox 読込み元フォルダを読み込めません。|Filename : " + in() + "|フォルダ " + in() +
                         " を読み込めません: Permission denied\n");
    EXPECT_TRUE(NamesIn(out()).empty());
}

INSTANTIATE_TEST_SUITE_P(ProgramFolder, WindowProgramFolderTest,
                         ::testing::Values(Place::kReadOnly, Place::kWritable, Place::kInstalled),
                         ::testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ProgramFolder, UnreadableSourceTest, ::testing::Values(Place::kReadOnly, Place::kWritable),
                         ::testing::PrintToStringParamName());

}  // namespace
}  // namespace nuthumb::test
