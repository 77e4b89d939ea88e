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
    StartCheckTest() { fs::copy_file(NUTHUMB_PROGRAM_PATH, in() + "/nuthumb"); }

    // `env` is added to an empty environment (but HOME); `args` follow the program.
    ProgramRun Run(const std::string& env, const std::string& args) const {
        return RunCommand("env -i HOME=" + out() + " " + env + " " + in() + "/nuthumb " + args, root() + "/err");
    }
};

TEST_F(StartCheckTest, HelpAndVersionNeedNoDisplay) {
    for (const char* args : {"--help", "-h", "-platform xcb --help"}) {
        const ProgramRun run = Run("", args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_TRUE(run.out.starts_with("Usage: nuthumb ")) << run.out;
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
    const struct {
        const char* env;
        const char* args;
    } starts[] = {
        {"", ""},
        {"DISPLAY= WAYLAND_DISPLAY=", ""},
        {"QT_QPA_PLATFORM=xcb", ""},
        {"QT_QPA_PLATFORM='wayland;xcb:no_glx'", ""},
        {"QT_QPA_PLATFORM=offscreen", "-platform wayland-egl"},
    };
    for (const auto& start : starts) {
        const ProgramRun run = Run(start.env, start.args);
        EXPECT_EQ(run.status, 1) << start.env << " " << start.args;
        EXPECT_EQ(run.err, "nuthumb: no display found: set DISPLAY or WAYLAND_DISPLAY, or use nuthumb-cli\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(NamesIn(in()), std::set<std::string>{"nuthumb"});
    EXPECT_TRUE(NamesIn(out()).empty());
}

}  // namespace
}  // namespace nuthumb::test
