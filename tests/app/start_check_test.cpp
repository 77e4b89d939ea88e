// nuthumb started as a process on a machine without a display: --help and
// --version answer, and a plain start says why there is no window instead of Qt
// aborting the process. The program runs from a folder of its own, which must
// stay as it was, with an emptied environment.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/version.h"
#include "tests/app/program_run.h"
#include "tests/support/folder_files.h"

namespace nuthumb::test {
namespace {

namespace fs = std::filesystem;

class StartCheckTest : public ::testing::Test, protected RunFolders {
protected:
    // With the catalogues where a program in "in" looks for them.
    StartCheckTest() {
        fs::copy_file(NUTHUMB_PROGRAM_PATH, in() + "/nuthumb");
        fs::create_directories(root() + "/share");
        fs::copy(NUTHUMB_LOCALE_DIR, root() + "/share/locale", fs::copy_options::recursive);
    }

    // `env` is added to an empty environment (but HOME); `args` follow the program.
    ProgramRun Run(const std::string& env, const std::string& args) const {
        return RunCommand("env -i HOME=" + out() + " " + env + " " + in() + "/nuthumb " + args, root() + "/err");
    }
};

// An emptied environment is the C locale: the source (Japanese) texts; English
// under an English LANG.
TEST_F(StartCheckTest, HelpAndVersionNeedNoDisplay) {
    const struct {
        const char* env;
        const char* args;
        const char* usage;
    } rows[] = {{"", "--help", "使い方: nuthumb "},
                {"", "-h", "使い方: nuthumb "},
                {"", "-platform xcb --help", "使い方: nuthumb "},
                {"LANG=en_US.UTF-8", "--help", "Usage: nuthumb "}};
    for (const auto& [env, args, usage] : rows) {
        const ProgramRun run = Run(env, args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_TRUE(run.out.starts_with(usage)) << run.out;
        EXPECT_NE(run.out.find("nuthumb-cli"), std::string::npos) << "points to the program without window";
        EXPECT_EQ(run.err, "") << args;
    }
    const ProgramRun version = Run("DISPLAY=", "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "nuthumb " + std::string(kVersion) + "\n");
    EXPECT_EQ(version.err, "");
}

// Every way of asking for a display server without having one; the -platform
// argument wins over the variable, as it does in Qt.
TEST_F(StartCheckTest, WithoutDisplayTheProgramSaysSoAndEndsWithStatus1) {
    const std::string japanese =
        "nuthumb: ディスプレイが見つかりません: DISPLAY か WAYLAND_DISPLAY を設定するか、nuthumb-cli を使ってください\n";
    const struct {
        const char* env;
        const char* args;
        std::string said;
    } starts[] = {
        {"", "", japanese},
        {"DISPLAY= WAYLAND_DISPLAY=", "", japanese},
        {"QT_QPA_PLATFORM=xcb", "", japanese},
        {"QT_QPA_PLATFORM='wayland;xcb:no_glx'", "", japanese},
        {"QT_QPA_PLATFORM=offscreen", "-platform wayland-egl", japanese},
        {"LANG=en_US.UTF-8", "", "nuthumb: no display found: set DISPLAY or WAYLAND_DISPLAY, or use nuthumb-cli\n"},
    };
    for (const auto& start : starts) {
        const ProgramRun run = Run(start.env, start.args);
        EXPECT_EQ(run.status, 1) << start.env << " " << start.args;
        EXPECT_EQ(run.err, start.said);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(NamesIn(in()), std::set<std::string>{"nuthumb"});
    EXPECT_TRUE(NamesIn(out()).empty());
}

}  // namespace
}  // namespace nuthumb::test
