#include "settings/settings_path.h"

#include <gtest/gtest.h>

#include "platform/executable_path.h"

namespace nuthumb {
namespace {

TEST(SettingsPath, ExtensionIsReplacedOrAppended) {
    EXPECT_EQ(SettingsPathFor("/opt/tools/NuThumb.exe"), "/opt/tools/NuThumb.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/nuthumb"), "/usr/bin/nuthumb.ini");
    EXPECT_EQ(SettingsPathFor("/opt/my.tools/nuthumb"), "/opt/my.tools/nuthumb.ini");
    EXPECT_EQ(SettingsPathFor("/opt/a.b.c"), "/opt/a.b.ini");
}

TEST(SettingsPath, FollowsTheRunningProgram) {
    EXPECT_EQ(SettingsFilePath(), SettingsPathFor(ExecutablePath()));
}

TEST(ProgramTitle, FirstLetterKeptRestLowerUpToTheFirstDot) {
    EXPECT_EQ(ProgramTitle("/opt/NuThumb.exe"), "Nuthumb");
    EXPECT_EQ(ProgramTitle("/opt/NuThumb.Old.exe"), "Nuthumb");
    EXPECT_EQ(ProgramTitle("/usr/bin/nuthumb"), "nuthumb");
    EXPECT_EQ(ProgramTitle("/my.dir/ABC"), "Abc");
    EXPECT_EQ(ProgramTitle("/opt/.hidden"), "");
}

}  // namespace
}  // namespace nuthumb
