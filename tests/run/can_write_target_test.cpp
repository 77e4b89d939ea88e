#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run/can_write_target.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thumb_jobs.h"

namespace nuthumb {
namespace {

struct PreCheckRow {
    const char* name;
    const char* existing;  // file made in the destination ("" none); "dir:" prefix makes a folder
    ImageFormat target_format;
    OverwriteMode overwrite_mode;
    std::deque<bool> answers;
    bool expected;
    int questions;
};

class CanWriteTargetTest : public ::testing::TestWithParam<PreCheckRow> {};

TEST_P(CanWriteTargetTest, Decides) {
    const PreCheckRow& row = GetParam();
    TempDir dir;
    std::string existing = row.existing;
    if (existing.rfind("dir:", 0) == 0)
        std::filesystem::create_directory(dir.path() + "/" + existing.substr(4));
    else if (!existing.empty())
        std::ofstream(dir.path() + "/" + existing) << "x";

    RecordingHost host;
    host.overwrite_mode = row.overwrite_mode;
    host.answers = row.answers;
    EXPECT_EQ(CanWriteTarget(host, dir.path() + "/t_a.b_s.JPG", row.target_format), row.expected);
    ASSERT_EQ(static_cast<int>(host.messages.size()), row.questions);
    if (row.questions > 0) {
        const std::string final_name = row.target_format == test::kBmp ? "t_a.b_s.bmp" : "t_a.b_s.JPG";
        EXPECT_EQ(host.messages[0],
                  (RecordedMessage{RecordedMessage::Kind::kQuestion,
                                   "同一ファイルが存在します。上書きしますか?\r\nFilename : " + final_name}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CanWriteTargetTest,
    ::testing::Values(
        PreCheckRow{"NoTargetWritesInAnyMode", "", test::kJpg, OverwriteMode::kNever, {}, true, 0},
        PreCheckRow{"SourceExtensionFileIsNotTheBmpTarget", "t_a.b_s.JPG", test::kBmp, OverwriteMode::kNever, {}, true, 0},
        PreCheckRow{"SourceExtensionNamingTheFormatStays", "t_a.b_s.JPG", test::kJpg, OverwriteMode::kNever, {}, false, 0},
        PreCheckRow{"LowerCaseTwinIsAnotherFile", "t_a.b_s.jpg", test::kJpg, OverwriteMode::kNever, {}, true, 0},
        PreCheckRow{"BmpFormatTestsBmpName", "t_a.b_s.bmp", test::kBmp, OverwriteMode::kNever, {}, false, 0},
        PreCheckRow{"FolderOfThatNameDoesNotCount", "dir:t_a.b_s.JPG", test::kJpg, OverwriteMode::kNever, {}, true, 0},
        PreCheckRow{"ModeOneOverwrites", "t_a.b_s.JPG", test::kJpg, OverwriteMode::kAlways, {}, true, 0},
        PreCheckRow{"ModeTwoOk", "t_a.b_s.JPG", test::kJpg, OverwriteMode::kAsk, {true}, true, 1},
        PreCheckRow{"ModeTwoCancel", "t_a.b_s.bmp", test::kBmp, OverwriteMode::kAsk, {false}, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanWriteTargetLiveModeTest, ReadsTheModeAtEachDecision) {
    TempDir dir;
    std::ofstream(dir.path() + "/a.JPG") << "x";
    RecordingHost host;
    host.overwrite_mode = OverwriteMode::kNever;
    EXPECT_FALSE(CanWriteTarget(host, dir.path() + "/a.JPG", test::kJpg));
    host.overwrite_mode = OverwriteMode::kAlways;
    EXPECT_TRUE(CanWriteTarget(host, dir.path() + "/a.JPG", test::kJpg));
}

}  // namespace
}  // namespace nuthumb
