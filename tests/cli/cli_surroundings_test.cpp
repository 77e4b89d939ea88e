// nuthumb-cli where its files are not what they seem: settings it cannot read, a
// source folder it cannot list, an error list that is a stream or a link, and a
// standard output nobody reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "tests/cli/cli_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

constexpr int kCannotDropRoot = 77;

class CliSurroundingsTest : public ::testing::Test, protected test::RunFolders {
protected:
    CliSurroundingsTest() {
        // Reachable by the unprivileged user; "out" writable, so only a refusal
        // keeps its files.
        fs::permissions(root(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(out(), fs::perms::all);
        test::WriteSampleBitmap(in() + "/a.bmp");
        WriteText(in() + "/z.bmp", "damaged");
        WriteText(out() + "/a.jpg", "old");
    }
    CliOutcome Run(const std::vector<std::string>& args, test::CliLaunch launch = {}) {
        return test::RunCli(args, root(), launch);
    }
    // As a user the kernel holds to file modes.
    CliOutcome RunUnprivileged(const std::vector<std::string>& args) {
        test::CliLaunch launch;
        launch.in_child = [] {
            if (!test::DropRootPrivileges() || ::access(NUTHUMB_CLI_PATH, X_OK) != 0) ::_exit(kCannotDropRoot);
        };
        return Run(args, launch);
    }
};

// What stands at the --settings path, which stores "never overwrite", and the reason.
struct SettingsRow {
    const char* name;
    std::function<void(const std::string& path)> make;
    const char* reason;
    friend void PrintTo(const SettingsRow& row, std::ostream* os) { *os << row.name; }
};

class CliUnreadableSettings : public CliSurroundingsTest, public ::testing::WithParamInterface<SettingsRow> {};

TEST_P(CliUnreadableSettings, IsRefusedWithItsReasonAndNothingIsTouched) {
    const std::string path = root() + "/stored.ini";
    GetParam().make(path);
    // The defaults would overwrite a.jpg; the stored file forbids it.
    const CliOutcome outcome = RunUnprivileged({in(), out(), "--from", "bmp", "--settings", path});
    if (outcome.status == kCannotDropRoot) GTEST_SKIP() << "cannot run nuthumb-cli as an unprivileged user";
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    EXPECT_EQ(outcome.err, "nuthumb-cli: 設定ファイル " + path + " を読み込めません: " + GetParam().reason + "\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(NamesIn(out()), std::set<std::string>{"a.jpg"});
    EXPECT_EQ(ReadText(out() + "/a.jpg"), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliUnreadableSettings,
    ::testing::Values(
        SettingsRow{"NoPermission",
                    [](const std::string& p) {
                        WriteText(p, "[SYSTEM]\r\nRadioGroupSaveMode=0\r\n");
                        fs::permissions(p, fs::perms::none);
                    },
                    "Permission denied"},
        SettingsRow{"Folder", [](const std::string& p) { fs::create_directory(p); },
                    "フォルダであり、通常のファイルではありません"},
        SettingsRow{"Device", [](const std::string& p) { fs::create_symlink("/dev/null", p); },
                    "キャラクタデバイスであり、通常のファイルではありません"},
        SettingsRow{"Missing", [](const std::string&) {}, "No such file or directory"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliSurroundingsTest, JobModeRefusesAnUnreadableFileBesideTheProgram) {
    // A copy of the program, since the settings file is found beside the real executable.
    fs::create_directory(root() + "/bin");
    fs::copy_file(NUTHUMB_CLI_PATH, root() + "/bin/nuthumb-cli");
    fs::create_directory(root() + "/bin/nuthumb.ini");
    test::CliLaunch launch;
    launch.program = root() + "/bin/nuthumb-cli";
    const CliOutcome outcome = Run({}, launch);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "nuthumb-cli: 設定ファイル " + root() +
                               "/bin/nuthumb.ini を読み込めません: フォルダであり、通常のファイルではありません\n");
}

TEST_F(CliSurroundingsTest, UnreadableSourceFolderIsNotAnEmptyOne) {
    fs::permissions(in(), fs::perms::none);
    const CliOutcome outcome = RunUnprivileged({in(), out(), "--from", "bmp"});
    fs::permissions(in(), fs::perms::owner_all);
    if (outcome.status == kCannotDropRoot) GTEST_SKIP() << "cannot run nuthumb-cli as an unprivileged user";
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "読込み元フォルダを読み込めません。\nFilename : " + in() + "\nフォルダ " + in() +
                               " を読み込めません: Permission denied\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(ReadText(out() + "/a.jpg"), "old");

    // In a batch the reason is the entry's log line, and no file failed.
    const std::string batch = root() + "/batch.txt";
    WriteText(batch, "\"" + in() + "\",0,\"" + out() + "\",1,,,50,0,1\n");
    fs::permissions(in(), fs::perms::none);
    const CliOutcome logged = RunUnprivileged({"--batch-file", batch});
    fs::permissions(in(), fs::perms::owner_all);
    EXPECT_EQ(logged.status, 1) << logged.err;
    EXPECT_EQ(logged.out, "NO 0 : サムネイル作成開始。\nNO 0 : フォルダ " + in() +
                              " を読み込めません: Permission denied\n失敗したエントリ: 1\n失敗したファイル: 0\n");
}

// A name with a line feed or bytes that are no UTF-8 is a file URI there, as in
// the file: `while read` gets one whole path per line.
TEST_F(CliSurroundingsTest, ErrorListToStandardOutputComesBeforeTheReportInUtf8AndLf) {
    WriteText(in() + "/x\xE9.bmp", "damaged");
    WriteText(in() + "/y\n.bmp", "damaged");
    const std::string report =
        "サムネイル作成が終了しました。\n作成: 1 個、既にあったため残した: 0 個、失敗: 3 個\n失敗したファイル: 3\n";
    // "-", /dev/stdout's target, and the very file stdout is redirected to.
    for (const std::string& list : {std::string("-"), std::string("/proc/self/fd/1"), root() + "/cli.out"}) {
        test::CliLaunch launch;
        launch.in_child = [this] { (void)::chdir(root().c_str()); };  // a stray file "-" would show
        const CliOutcome outcome = Run({in(), out(), "--from", "bmp", "--error-list", list}, launch);
        EXPECT_EQ(outcome.status, 1) << list << outcome.err;
        EXPECT_EQ(outcome.out, "file://" + in() + "/x%E9.bmp\nfile://" + in() + "/y%0A.bmp\n" + in() + "/z.bmp\n" +
                                   report)
            << list;
        // Each failed file is named on stderr with its reason.
        EXPECT_NE(outcome.err.find("nuthumb-cli: " + in() +
                                   "/z.bmp: 読み込めません: 壊れているか、正しいサムネイルを作れません\n"),
                  std::string::npos)
            << list;
    }
    EXPECT_FALSE(fs::exists(root() + "/-"));
}

TEST_F(CliSurroundingsTest, LinkedErrorListIsWrittenWhereItLiesAndTheLinkStays) {
    fs::create_directory(root() + "/lists");
    fs::create_symlink("lists/failed.err", root() + "/failed.err");
    EXPECT_EQ(Run({in(), out(), "--from", "bmp", "--error-list", root() + "/failed.err"}).status, 1);
    EXPECT_TRUE(fs::is_symlink(root() + "/failed.err"));
    EXPECT_EQ(ReadText(root() + "/lists/failed.err"), in() + "/z.bmp\r\n");
}

TEST_F(CliSurroundingsTest, ClosedStandardOutputStillWritesTheListAndIsReported) {
    // A pipe whose reader is gone before the program starts: every write to stdout fails.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    test::CliLaunch launch;
    launch.in_child = [&] { ::dup2(fds[1], STDOUT_FILENO); };
    const std::string list = root() + "/failed.err";
    const CliOutcome damaged = Run({in(), out(), "--from", "bmp", "--error-list", list}, launch);
    fs::remove(in() + "/z.bmp");
    const CliOutcome clean = Run({in(), out(), "--from", "bmp"}, launch);
    ::close(fds[1]);

    for (const CliOutcome& outcome : {damaged, clean}) {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find("nuthumb-cli: 標準出力に書き込めません: Broken pipe\n"), std::string::npos)
            << outcome.err;
    }
    EXPECT_EQ(ReadText(list), in() + "/z.bmp\r\n");
}

}  // namespace
}  // namespace nuthumb
