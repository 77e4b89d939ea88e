// RunFolder against what a file system can put in its way: links and special
// files at a target's name, names at the length limit, a folder it cannot read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>

#include "run/run_folder.h"
#include "platform/file_io.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/unprivileged.h"
#include "tests/support/thumb_jobs.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

class RunFolderFileSystemTest : public ::testing::Test, protected test::RunFolders {
protected:
    int Run(const std::string& suffix = "") {
        return RunFolder(host_, test::FolderJob(in(), test::kBmp, out(), test::kJpg, 4, "", suffix));
    }
    // The one message and ErrorList line of a target that could not be written.
    void ExpectWriteFailure(const std::string& source, const std::string& target_name,
                            const std::string& reason) {
        EXPECT_EQ(host_.errors, std::vector<std::string>{source});
        ASSERT_EQ(host_.messages.size(), 1u);
        const std::string& text = host_.messages[0].text;
        EXPECT_EQ(text.rfind("ファイルを書き込めません。\r\nFilename : " + target_name + "\r\n", 0), 0u) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
    }
    RecordingHost host_;
};

// What stands at the target's name "out/a.jpg" before the run, and whether the
// thumbnail goes through it (to the file `written`) or fails with `reason`.
struct TargetRow {
    const char* name;
    std::function<void(const std::string& out)> make;
    std::string (*written)(const std::string& out);  // nullptr: the write fails
    const char* reason;
    friend void PrintTo(const TargetRow& row, std::ostream* os) { *os << row.name; }
};

class TargetKind : public RunFolderFileSystemTest, public ::testing::WithParamInterface<TargetRow> {};

TEST_P(TargetKind, LinksAreWrittenThroughOtherThingsNeverReplaced) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    GetParam().make(out());
    const auto type = fs::symlink_status(out() + "/a.jpg").type();
    host_.overwrite_mode = OverwriteMode::kAlways;
    host_.report_load_errors = true;
    EXPECT_EQ(Run(), kRunFinished);
    // Whatever stood there is still the same kind of thing.
    EXPECT_EQ(fs::symlink_status(out() + "/a.jpg").type(), type);
    if (GetParam().written) {
        EXPECT_TRUE(host_.errors.empty());
        EXPECT_EQ(ReadText(GetParam().written(out())).substr(0, 2), "\xFF\xD8");  // a JPEG now
    } else {
        ExpectWriteFailure(in() + "/a.bmp", "a.jpg", GetParam().reason);
    }
}

std::string Elsewhere(const std::string& out) { return fs::path(out).parent_path().string() + "/elsewhere.jpg"; }

INSTANTIATE_TEST_SUITE_P(
    Rows, TargetKind,
    ::testing::Values(
        TargetRow{"LinkToAFile",
                  [](const std::string& out) {
                      WriteText(Elsewhere(out), "old");
                      fs::create_symlink("../elsewhere.jpg", out + "/a.jpg");
                  },
                  Elsewhere, ""},
        TargetRow{"DanglingLink",
                  [](const std::string& out) { fs::create_symlink(Elsewhere(out), out + "/a.jpg"); },
                  Elsewhere, ""},
        TargetRow{"Fifo", [](const std::string& out) { ::mkfifo((out + "/a.jpg").c_str(), 0600); },
                  nullptr, "名前付きパイプであり、通常のファイルではありません"},
        TargetRow{"LinkToADevice",
                  [](const std::string& out) { fs::create_symlink("/dev/null", out + "/a.jpg"); },
                  nullptr, "キャラクタデバイスであり、通常のファイルではありません"},
        TargetRow{"Folder", [](const std::string& out) { fs::create_directory(out + "/a.jpg"); },
                  nullptr, "フォルダであり、通常のファイルではありません"},
        TargetRow{"LinkLoop",
                  [](const std::string& out) {
                      fs::create_symlink("b.jpg", out + "/a.jpg");
                      fs::create_symlink("a.jpg", out + "/b.jpg");
                  },
                  nullptr, "Too many levels of symbolic links"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunFolderFileSystemTest, NamesUpToTheFileSystemsLimitAreWrittenLongerOnesFailCleanly) {
    // 82 Japanese characters: 246 bytes of UTF-8, 250 with ".bmp" or ".jpg".
    std::string base;
    for (int i = 0; i < 82; ++i) base += "写";
    const std::string source = in() + "/" + base + ".bmp";
    test::WriteSampleBitmap(source);
    host_.report_load_errors = true;

    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_TRUE(host_.errors.empty());
    EXPECT_EQ(NamesIn(out()), std::set<std::string>{base + ".jpg"});

    // With a suffix the name is 256 bytes: over the limit, reported, nothing written.
    EXPECT_EQ(Run("_thumb"), kRunFinished);
    ExpectWriteFailure(source, base + "_thumb.jpg", "File name too long");
    EXPECT_EQ(NamesIn(out()), std::set<std::string>{base + ".jpg"});
}

TEST_F(RunFolderFileSystemTest, UnreadableSourceFolderThrowsBeforeTouchingAnything) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    fs::permissions(root(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(out(), fs::perms::all);
    fs::permissions(in(), fs::perms::none);
    const auto outcome = test::RunUnprivileged([this] {
        host_.cancel = true;
        host_.progress_max = 9;
        host_.progress_position = 7;
        host_.status = "before";
        std::string text;
        try {
            text = "returned " + std::to_string(Run());
        } catch (const IoError& e) {
            text = e.what();
        }
        return text + " | " + std::to_string(host_.cancel) + " " + std::to_string(host_.progress_max) +
               " " + std::to_string(host_.progress_position) + " " + host_.status + " " +
               std::to_string(host_.errors.size());
    });
    fs::permissions(in(), fs::perms::owner_all);
    if (!outcome) GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(*outcome, "フォルダ " + in() + " を読み込めません: Permission denied | 1 9 7 before 0");
    EXPECT_TRUE(NamesIn(out()).empty());
}

}  // namespace
}  // namespace nuthumb
