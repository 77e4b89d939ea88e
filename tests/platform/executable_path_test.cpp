#include "platform/executable_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace nuthumb {
namespace {

TEST(ExecutablePath, NamesThisProgram) {
    const std::string path = ExecutablePath();
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
}

// A package upgrade or a rebuild removes the running file; its settings must
// still be found under the name it was started with.
TEST(ExecutablePath, RemovedProgramKeepsTheNameItWasStartedFrom) {
    EXPECT_EQ(StartedProgramPath("/usr/bin/nuthumb (deleted)", false), "/usr/bin/nuthumb");
    EXPECT_EQ(StartedProgramPath("/opt/a (deleted) b (deleted)", false), "/opt/a (deleted) b");
    // A file that really carries the mark in its name, and texts without the mark.
    EXPECT_EQ(StartedProgramPath("/opt/x (deleted)", true), "/opt/x (deleted)");
    EXPECT_EQ(StartedProgramPath("/usr/bin/nuthumb", false), "/usr/bin/nuthumb");
    EXPECT_EQ(StartedProgramPath(" (deleted)", false), " (deleted)");
}

}  // namespace
}  // namespace nuthumb
