#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run/check_folders.h"
#include "run/drive_root.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

// What a folder text names in a row of the table.
enum class Folder { kEmpty, kExisting, kMissing, kFile, kBlank };

struct CheckRow {
    const char* name;
    Folder src;
    Folder dst;
    bool result;
    const char* message;  // nullptr: no message even with flag 1
};

class CheckFoldersTest : public ::testing::TestWithParam<CheckRow> {
protected:
    std::string Text(Folder kind) {
        switch (kind) {
            case Folder::kEmpty: return "";
            case Folder::kExisting: return dir_.path();
            case Folder::kMissing: return dir_.path() + "/missing";
            case Folder::kBlank: return " ";
            case Folder::kFile: {
                const std::string path = dir_.path() + "/file";
                std::ofstream(path) << "x";
                return path;
            }
        }
        return {};
    }
    TempDir dir_;
};

TEST_P(CheckFoldersTest, FlagOneShowsTheRowsMessageOnce) {
    const CheckRow& row = GetParam();
    RecordingHost host;
    EXPECT_EQ(CheckFolders(host, Text(row.src), Text(row.dst), 1), row.result);
    std::vector<RecordedMessage> expected;
    if (row.message) expected.push_back({RecordedMessage::Kind::kError, row.message});
    EXPECT_EQ(host.messages, expected);
}

TEST_P(CheckFoldersTest, OtherFlagsAreSilentWithTheSameResult) {
    const CheckRow& row = GetParam();
    for (std::uint8_t flag : {0, 2, 255}) {
        RecordingHost host;
        EXPECT_EQ(CheckFolders(host, Text(row.src), Text(row.dst), flag), row.result);
        EXPECT_TRUE(host.messages.empty()) << int(flag);
    }
}

const char* const kBothUnset = "読込み先フォルダ、保存先フォルダともに未設定です。";
const char* const kSrcUnset = "読込み先フォルダが未設定です。";
const char* const kDstUnset = "保存先フォルダが未設定です。";
const char* const kDstMissing = "保存先フォルダが存在しません。";
const char* const kSrcMissing = "読み込み先フォルダが存在しません。";
const char* const kBothMissing = "読み込み先フォルダ、保存先フォルダともに存在しません。";

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckFoldersTest,
    ::testing::Values(
        CheckRow{"BothEmpty", Folder::kEmpty, Folder::kEmpty, false, kBothUnset},
        CheckRow{"SourceEmpty", Folder::kEmpty, Folder::kExisting, false, kSrcUnset},
        CheckRow{"SourceEmptyDestinationMissingIsNotTested", Folder::kEmpty, Folder::kMissing, false,
                 kSrcUnset},
        CheckRow{"DestinationEmpty", Folder::kExisting, Folder::kEmpty, false, kDstUnset},
        CheckRow{"DestinationEmptySourceMissingIsNotTested", Folder::kMissing, Folder::kEmpty, false,
                 kDstUnset},
        CheckRow{"BothExist", Folder::kExisting, Folder::kExisting, true, nullptr},
        CheckRow{"DestinationMissing", Folder::kExisting, Folder::kMissing, false, kDstMissing},
        CheckRow{"DestinationIsAFile", Folder::kExisting, Folder::kFile, false, kDstMissing},
        CheckRow{"SourceMissing", Folder::kMissing, Folder::kExisting, false, kSrcMissing},
        CheckRow{"SourceIsAFile", Folder::kFile, Folder::kExisting, false, kSrcMissing},
        CheckRow{"BlankTextIsSetButMissing", Folder::kBlank, Folder::kExisting, false, kSrcMissing},
        CheckRow{"BothMissing", Folder::kMissing, Folder::kMissing, false, kBothMissing}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FolderExistsTest, FollowsLinksToFolders) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() + "/real");
    std::filesystem::create_directory_symlink(dir.path() + "/real", dir.path() + "/link");
    EXPECT_TRUE(FolderExists(dir.path() + "/link"));
    EXPECT_FALSE(FolderExists(""));
}

struct DriveRootRow {
    const char* name;
    const char* text;
    const char* expected;
};

class DriveRootTest : public ::testing::TestWithParam<DriveRootRow> {};

TEST_P(DriveRootTest, CutsOnlyRealDriveRoots) {
    EXPECT_EQ(ApplyDriveRootRule(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriveRootTest,
    ::testing::Values(DriveRootRow{"BackslashRoot", "D:\\", "D:"},
                      DriveRootRow{"SlashRoot", "c:/", "c:"},
                      DriveRootRow{"ThreeLetterFolderKept", "abc", "abc"},
                      DriveRootRow{"ThreeByteAbsolutePathKept", "/ab", "/ab"},
                      DriveRootRow{"DigitIsNoDriveLetter", "1:\\", "1:\\"},
                      DriveRootRow{"ColonMissing", "D;\\", "D;\\"},
                      DriveRootRow{"LongerPathKept", "D:\\x", "D:\\x"},
                      DriveRootRow{"BareDriveKept", "D:", "D:"},
                      DriveRootRow{"EmptyKept", "", ""},
                      DriveRootRow{"OneKanjiIsThreeBytesButKept", "写", "写"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
