#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "platform/file_io.h"
#include "tests/cli/cli_process.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/hostile_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using test::WriteText;
using test::CliOutcome;
using test::RunCli;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class CliTest : public ::testing::Test, protected test::RunFolders {
protected:
    CliOutcome Run(std::vector<std::string> args) { return RunCli(args, root()); }
};

// One command line: sources made in "in", targets already in "out", the arguments
// ({in} and {out} stand for the folders) and what must come of it.
struct CliRow {
    const char* name;
    std::vector<std::string> bitmaps;
    std::vector<std::string> damaged;
    std::vector<std::string> existing_targets;
    std::vector<std::string> args;
    int status;
    std::string out_part;
    std::string err_part;
    std::set<std::string> outputs;
    bool existing_kept = true;
    friend void PrintTo(const CliRow& row, std::ostream* os) { *os << row.name; }
};

class CliRowTest : public CliTest, public ::testing::WithParamInterface<CliRow> {};

TEST_P(CliRowTest, Runs) {
    const CliRow& row = GetParam();
    for (const std::string& name : row.bitmaps) test::WriteSampleBitmap(in() + "/" + name);
    for (const std::string& name : row.damaged) WriteText(in() + "/" + name, "damaged");
    for (const std::string& name : row.existing_targets) WriteText(out() + "/" + name, "old");
    std::vector<std::string> args;
    for (std::string arg : row.args) {
        if (arg == "{in}") arg = in();
        if (arg == "{out}") arg = out();
        args.push_back(arg);
    }
    const CliOutcome outcome = Run(args);
    EXPECT_EQ(outcome.status, row.status) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find(row.out_part), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find(row.err_part), std::string::npos) << outcome.err;
    EXPECT_EQ(NamesIn(out()), row.outputs);
    for (const std::string& name : row.existing_targets)
        EXPECT_EQ(ReadText(out() + "/" + name) == "old", row.existing_kept) << name;
}

const std::string kFinished = "サムネイル作成が終了しました。";

INSTANTIATE_TEST_SUITE_P(
    Rows, CliRowTest,
    ::testing::Values(
        CliRow{"FinishedExitsZero", {"a.bmp", "B.BMP"}, {}, {},
               {"{in}", "{out}", "--from", "bmp", "--prefix", "t_", "--suffix", "_s", "--size", "30"},
               0, kFinished + "\n作成: 2 個、既にあったため残した: 0 個、失敗: 0 個\n失敗したファイル: 0\n", "",
               {"t_a_s.jpg", "t_B_s.jpg"}},
        CliRow{"FailedFileIsNamedOnStderrWithItsReason", {"a.bmp"}, {"z.bmp"}, {},
               {"{in}", "{out}", "--from", "bmp"},
               1, "失敗したファイル: 1", "z.bmp: 読み込めません: 壊れているか", {"a.jpg"}},
        CliRow{"ReportLoadErrorsNamesTheFile", {"a.bmp"}, {"z.bmp"}, {},
               {"{in}", "{out}", "--from", "bmp", "--report-load-errors"},
               1, "失敗したファイル: 1", "ファイルが壊れている可能性があります。\nFilename : z.bmp", {"a.jpg"}},
        CliRow{"NoSourceExitsThree", {"a.bmp"}, {}, {},
               {"{in}", "{out}"},
               3, "読込み元フォルダにファイルが存在しません。", "", {}},
        CliRow{"AskWithoutTerminalAnswersNo", {"a.bmp", "b.bmp", "c.bmp"}, {}, {"a.jpg", "b.jpg"},
               {"{in}", "{out}", "--from", "bmp", "--overwrite", "ask"},
               0, kFinished, "すべての確認に「いいえ」と答えます", {"a.jpg", "b.jpg", "c.jpg"}},
        CliRow{"UpdateRecordsWhatItMadeAndCountsWhatWasUpToDate", {"a.bmp", "b.bmp"}, {}, {},
               {"{in}", "{out}", "--from", "bmp", "--update"},
               0, "作成: 2 個、既にあったため残した: 0 個、失敗: 0 個、最新のため作らなかった: 0 個\n", "",
               {".nuthumb-sync", "a.jpg", "b.jpg"}},
        CliRow{"DryRunListsAndChangesNothing", {"a.bmp"}, {}, {},
               {"{in}", "{out}", "--from", "bmp", "--update", "--prune", "--dry-run"},
               0, "/out/a.jpg（同期の記録にありません）\n作成する予定: 1 個、最新: 0 個、削除する予定: 0 個\n", "", {}},
        CliRow{"DryRunAloneIsAUsageError", {"a.bmp"}, {}, {},
               {"{in}", "{out}", "--dry-run"},
               2, "", "--dry-run は --update か --prune と一緒に指定してください", {}},
        CliRow{"SyncOptionsWithABatchAreAUsageError", {}, {}, {},
               {"--batch-file", "{in}", "--prune"},
               2, "", "--update、--prune、--dry-run はバッチには指定できません", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A destination that is not there is made with its missing parents, as mkdir -p
// makes it, and named; one that cannot be made is refused with the reason. A
// source folder that is not there makes nothing.
TEST_F(CliTest, MissingDestinationIsMadeOrRefusedWithTheReason) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    const std::string made = out() + "/2024/thumbs";
    const CliOutcome making = Run({in(), made, "--from", "bmp"});
    EXPECT_EQ(making.status, 0) << making.err;
    EXPECT_EQ(making.err, "nuthumb-cli: 保存先フォルダ " + made + " を作成しました\n");
    EXPECT_EQ(NamesIn(made), std::set<std::string>{"a.jpg"});

    // The folder in the way is named, a file here.
    const CliOutcome refused = Run({in(), in() + "/a.bmp/thumbs", "--from", "bmp"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "nuthumb-cli: フォルダ " + in() + "/a.bmp を作成できません: File exists\n");

    const CliOutcome no_source = Run({root() + "/missing", root() + "/never", "--from", "bmp"});
    EXPECT_EQ(no_source.status, 2);
    EXPECT_EQ(no_source.err, "読み込み先フォルダ、保存先フォルダともに存在しません。\n");
    EXPECT_FALSE(fs::exists(root() + "/never"));
}

TEST_F(CliTest, QuietNamesNoFailedFile) {
    WriteText(in() + "/z.bmp", "damaged");
    const CliOutcome outcome = Run({in(), out(), "--from", "bmp", "--quiet"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "");
}

// A source cut short is made as far as it goes, but named with the reason and
// counted as failed.
TEST_F(CliTest, CutSourceIsMadeNamedAndCounted) {
    test::WriteSampleBitmap(in() + "/cut.bmp");
    const std::string whole = ReadText(in() + "/cut.bmp");
    WriteText(in() + "/cut.bmp", whole.substr(0, whole.size() - 30));
    const CliOutcome outcome = Run({in(), out(), "--from", "bmp"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.out.find("失敗したファイル: 1"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find("cut.bmp: 途中で切れています"), std::string::npos) << outcome.err;
    EXPECT_EQ(NamesIn(out()), std::set<std::string>{"cut.jpg"});
}

// A name of 100 kB (the prefix) shows cut to 512 bytes, start and end kept,
// wherever a message names it, instead of twice in full.
TEST_F(CliTest, HugeNamesAreShortenedInMessages) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    const std::string prefix = "前" + std::string(100000, 'p');
    const CliOutcome boxes = Run({in(), out(), "--from", "bmp", "--prefix", prefix, "--report-load-errors"});
    const CliOutcome lines = Run({in(), out(), "--from", "bmp", "--prefix", prefix});
    for (const CliOutcome& outcome : {boxes, lines}) {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_LT(outcome.err.size(), 2000u) << outcome.err.substr(0, 3000);
        EXPECT_NE(outcome.err.find("p…p"), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find("ppa.jpg"), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find("File name too long"), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(boxes.err.rfind("ファイルを書き込めません。\nFilename : 前pp", 0), 0u) << boxes.err;
}

// One folder for sources and targets would turn every photo into its own
// thumbnail: only --overwrite always (or never, which replaces nothing) lets it
// run; a second name for the folder changes nothing.
TEST_F(CliTest, SourcesAreNeverTheirOwnTargetsUnlessTheCommandLineSaysSo) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    const std::string original = ReadText(in() + "/a.bmp");
    fs::create_directory_symlink(in(), root() + "/alias");
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, {"--overwrite", "ask"}, {"--jobs", "2", "--prefix", ""}}) {
        for (const std::string& dst : {in(), root() + "/alias"}) {
            std::vector<std::string> args{in(), dst, "--from", "bmp", "--to", "bmp"};
            args.insert(args.end(), extra.begin(), extra.end());
            const CliOutcome outcome = Run(args);
            EXPECT_EQ(outcome.status, 2) << dst;
            EXPECT_NE(outcome.err.find("--overwrite always"), std::string::npos) << outcome.err;
            EXPECT_EQ(ReadText(in() + "/a.bmp"), original);
        }
    }
    EXPECT_EQ(Run({in(), in(), "--from", "bmp", "--to", "bmp", "--overwrite", "never"}).status, 0);
    EXPECT_EQ(ReadText(in() + "/a.bmp"), original);
    EXPECT_EQ(Run({in(), in(), "--from", "bmp", "--to", "bmp", "--overwrite", "always"}).status, 0);
    EXPECT_NE(ReadText(in() + "/a.bmp"), original);
    // A suffix makes other files: nothing to refuse.
    EXPECT_EQ(Run({in(), in(), "--from", "bmp", "--suffix", "_t"}).status, 0);
}

// A folder of another format is not "no file": the result says what is there
// and how to read it, once, also beside a run that made thumbnails.
TEST_F(CliTest, ImagesOfOtherFormatsAreNamedOnceAfterTheResult) {
    for (const char* name : {"a.png", "b.png", "c.webp", "e.gif"}) WriteText(in() + "/" + name, "x");
    test::WriteSampleBitmap(in() + "/d.bmp");
    const CliOutcome jpegs = Run({in(), out()});
    EXPECT_EQ(jpegs.status, 3);
    EXPECT_EQ(Count(jpegs.out, "が 4 個あります（--from all で読み込めます）"), 1u) << jpegs.out;
    EXPECT_EQ(Count(jpegs.out, "読み込めない形式の画像（GIF、TIFF など）が 1 個あります。"), 1u) << jpegs.out;
    const CliOutcome every = Run({in(), out(), "--from", "all", "--to", "bmp"});
    EXPECT_EQ(every.out.find("--from all"), std::string::npos) << every.out;
    EXPECT_EQ(Count(every.out, "が 1 個あります。"), 1u) << every.out;
}

TEST_F(CliTest, AskWithoutTerminalSaysSoOnce) {
    for (const char* name : {"a.bmp", "b.bmp"}) test::WriteSampleBitmap(in() + "/" + name);
    for (const char* name : {"a.jpg", "b.jpg"}) WriteText(out() + "/" + name, "old");
    const CliOutcome outcome = Run({in(), out(), "--from", "bmp", "--overwrite", "ask"});
    EXPECT_EQ(Count(outcome.err, "すべての確認に「いいえ」と答えます"), 1u) << outcome.err;
}

TEST_F(CliTest, ErrorListFileHoldsTheFailedPaths) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    WriteText(in() + "/y.bmp", "damaged");
    WriteText(in() + "/z.bmp", "damaged");
    const std::string list = root() + "/failed.err";
    EXPECT_EQ(Run({in(), out(), "--from", "bmp", "--error-list", list}).status, 1);
    EXPECT_EQ(ReadText(list), in() + "/y.bmp\r\n" + in() + "/z.bmp\r\n");
}

TEST_F(CliTest, UnwritableErrorListIsReportedAndNotSuccess) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    const CliOutcome outcome =
        Run({in(), out(), "--from", "bmp", "--error-list", root() + "/missing/failed.err"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("エラーリストを書き込めません"), std::string::npos) << outcome.err;
}

class CliSettingsTest : public CliTest {
protected:
    std::string Ini(const std::string& extra = "") {
        const std::string path = root() + "/nuthumb.ini";
        WriteText(path, "[SYSTEM]\r\nSrcDir=" + in() + "\r\nDstDir=" + out() +
                            "\r\nFileHead=h_\r\nFileEnd=_e\r\nSize=9999\r\nOption=1\r\n"
                            "ReadFileMode=0\r\nSaveFileMode=0\r\nNOThumb=0\r\n" + extra);
        return path;
    }
};

TEST_F(CliSettingsTest, StoredOptionsApply) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    WriteText(in() + "/z.bmp", "damaged");
    WriteText(out() + "/h_a_e.bmp", "old");
    const CliOutcome outcome = Run({"--settings", Ini("ErrorOpt=1\r\nRadioGroupSaveMode=0\r\n")});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(ReadText(out() + "/h_a_e.bmp"), "old");
    EXPECT_NE(outcome.err.find("Filename : z.bmp"), std::string::npos) << outcome.err;
}

TEST_F(CliSettingsTest, UnsetFoldersInTheFileFailTheCheck) {
    const std::string path = root() + "/empty.ini";
    WriteText(path, "[SYSTEM]\r\n");
    const CliOutcome outcome = Run({"--settings", path});
    EXPECT_EQ(outcome.status, 2);
    // The check's words, then the file whose folders it checked.
    EXPECT_EQ(outcome.err, "読込み先フォルダ、保存先フォルダともに未設定です。\n"
                           "nuthumb-cli: 処理内容は設定ファイル " + path + " から読みました。\n");
}

// A long decode, here (a scan bomb, refused only after seconds) or in a
// decoder helper (a chain of HEIF items), is ended by Ctrl-C at once: the file
// in hand is neither converted nor counted as failed, and no helper is left
// decoding.
TEST_F(CliTest, CtrlCEndsALongDecode) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> file;
        bool in_helper;
    };
    const Row rows[] = {
        {"ScanBomb", test::RepeatedScanJpeg(16384, 16384, 1000), false},
        {"ItemChain", test::ItemChainHeif(10000), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(in());
        fs::create_directory(in());
        WriteFileAtomic(in() + "/long.jpg", row.file);
        test::CliProcess cli({in(), out()}, root());
        std::vector<pid_t> helpers;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (row.in_helper && (helpers = test::ChildrenOf(cli.pid())).empty() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(helpers.size(), row.in_helper ? 1u : 0u);
        ASSERT_TRUE(test::InterruptWhenCaught(cli.pid()));
        const CliOutcome outcome = cli.Wait();
        EXPECT_EQ(outcome.status, 130) << outcome.out << outcome.err;
        EXPECT_NE(outcome.out.find("失敗したファイル: 0"), std::string::npos) << outcome.out;
        EXPECT_TRUE(NamesIn(out()).empty());
        for (const pid_t helper : helpers) EXPECT_FALSE(test::ProcessExists(helper));
    }
}

TEST_F(CliTest, CtrlCCancelsWith130) {
    // Many sources that take a while each; all links to one file to keep set-up fast.
    test::WriteSampleBitmap(in() + "/0000.bmp", 300, 300);
    constexpr int kFiles = 400;
    for (int i = 1; i < kFiles; ++i)
        fs::create_hard_link(in() + "/0000.bmp", in() + "/" + std::to_string(1000 + i) + ".bmp");

    test::CliProcess cli({in(), out(), "--from", "bmp", "--size", "200"}, root());
    ASSERT_TRUE(test::InterruptWhenCaught(cli.pid()));
    const CliOutcome outcome = cli.Wait();
    EXPECT_EQ(outcome.status, 130) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("サムネイル作成を中断しました。"), std::string::npos) << outcome.out;
    EXPECT_LT(NamesIn(out()).size(), static_cast<std::size_t>(kFiles));
}

}  // namespace
}  // namespace nuthumb

namespace nuthumb {
namespace {

// Runs killed at random moments, then one that completes: no temporary file of
// the killed runs is left, and a user's own file named like one is kept.
TEST_F(CliTest, KilledRunsLeaveNoTemporaryFileAfterTheNextRun) {
    test::WriteSampleBitmap(in() + "/0000.bmp", 300, 300);
    constexpr int kFiles = 300;
    for (int i = 1; i < kFiles; ++i)
        fs::create_hard_link(in() + "/0000.bmp", in() + "/" + std::to_string(1000 + i) + ".bmp");
    const std::vector<std::string> args = {in(), out(), "--from", "bmp", "--size", "200", "--overwrite",
                                           "always", "--jobs", "2", "--quiet"};
    std::mt19937 random(1208);
    for (int round = 0; round < 5; ++round) {
        test::CliProcess cli(args, root());
        ::usleep(std::uniform_int_distribution<useconds_t>(20000, 400000)(random));
        ::kill(cli.pid(), SIGKILL);
        cli.Wait();
    }
    // What the killed runs left is removed once it is old enough to be no live
    // run's on another machine.
    const timespec hours_ago[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
    for (const std::string& name : NamesIn(out()))
        if (name.starts_with(".nuthumb-")) ::utimensat(AT_FDCWD, (out() + "/" + name).c_str(), hours_ago, 0);
    WriteText(out() + "/.nuthumb-Kd8s0Q", "the user's own");
    EXPECT_EQ(Run(args).status, 0);
    std::vector<std::string> temporary;
    for (const std::string& name : NamesIn(out()))
        if (name.starts_with(".nuthumb-")) temporary.push_back(name);
    EXPECT_EQ(temporary, std::vector<std::string>{".nuthumb-Kd8s0Q"});
    EXPECT_EQ(NamesIn(out()).size(), std::size_t{kFiles} + 1);
}

}  // namespace
}  // namespace nuthumb
