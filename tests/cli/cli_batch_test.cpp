#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text_codec.h"
#include "tests/cli/cli_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

const std::string kStarted = " : サムネイル作成開始。";
const std::string kFinished = " : サムネイル作成終了。";
const std::string kNoSource = " : 読込み元フォルダにファイルが存在しません。";
const std::string kDataError = " : 登録データエラー\u3000\uFF0D\u3000終了。";

class CliBatchTest : public ::testing::Test, protected test::RunFolders {
protected:
    CliOutcome Run(const std::vector<std::string>& args) { return test::RunCli(args, root()); }
    // A bitmap-to-JPEG entry with prefix t_ and size 4.
    static std::string Entry(const std::string& src, const std::string& dst) {
        return "\"" + src + "\",\"0\",\"" + dst + "\",\"1\",\"t_\",\"\",\"4\",\"0\",\"1\"";
    }
};

TEST_F(CliBatchTest, RunsTheStoredListWithTheStoredOptionsAndNeverWritesTheFile) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    test::WriteSampleBitmap(in() + "/b.bmp");
    WriteText(in() + "/z.bmp", "damaged");
    WriteText(out() + "/t_a.jpg", "old");
    const std::string empty = root() + "/empty";
    fs::create_directory(empty);
    const std::string ini = root() + "/nuthumb.ini";
    const std::string ini_text = "[SYSTEM]\r\nRadioGroupSaveMode=0\r\nErrorOpt=1\r\nScript1=" + Entry(in(), out()) +
                                 "\r\nScript2=broken\r\nScript3=" + Entry(empty, out()) + "\r\nScript4=\r\nScript5=" +
                                 Entry(in(), empty) + "\r\n";
    WriteText(ini, ini_text);
    const std::string list = root() + "/batch.err";

    const CliOutcome outcome = Run({"--batch", "--settings", ini, "--error-list", list, "--quiet"});

    const std::string log = "NO 0" + kStarted + "\n" + in() + "/z.bmp\nNO 0" + kFinished + "\nNO 1" + kStarted +
                            "\nNO 1" + kDataError + "\nNO 2" + kStarted + "\nNO 2" + kNoSource + "\n";
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.out, log + "失敗したエントリ: 2\n失敗したファイル: 1\n");
    // ErrorOpt=1 reports the load failure; RadioGroupSaveMode=0 keeps the old target.
    EXPECT_NE(outcome.err.find("Filename : z.bmp"), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadText(out() + "/t_a.jpg"), "old");
    EXPECT_EQ(NamesIn(out()), (std::set<std::string>{"t_a.jpg", "t_b.jpg"}));
    EXPECT_TRUE(NamesIn(empty).empty());
    EXPECT_EQ(ReadText(ini), ini_text);

    std::string crlf;
    for (char c : log) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadText(list), EncodeCp932(crlf).value());

    // The command line's option wins over the stored one.
    EXPECT_EQ(Run({"--batch", "--settings", ini, "--overwrite", "always"}).status, 1);
    EXPECT_NE(ReadText(out() + "/t_a.jpg"), "old");
}

// Each line is decoded on its own, so a CP932 line costs a UTF-8 one nothing.
// A line that starts with NUL and an entry ended by a lone CR are data errors
// under their own numbers, neither dropped nor merged with the next entry.
TEST_F(CliBatchTest, RunsABatchFileLineByLine) {
    const std::string photos = root() + "/写真";
    fs::create_directory(photos);
    test::WriteSampleBitmap(photos + "/a.bmp");
    WriteText(out() + "/t_a.jpg", "old");
    const std::string file = root() + "/batch.txt";
    WriteText(file, "\r\n" + EncodeCp932(Entry(photos, out())).value() + "\r\n \t\r\n" + Entry(in(), out()) + "\n" +
                        Entry(photos, out()) + "\n" + std::string(1, '\0') + Entry(photos, out()) + "\n" +
                        Entry(photos, out()) + "\r" + Entry(photos, out()) + "\r\n");

    const CliOutcome outcome = Run({"--batch-file", file});

    // Blank lines are no entries; without a settings file targets are replaced.
    std::string log;
    for (const auto& [index, ending] : std::vector<std::pair<int, std::string>>{
             {0, kFinished}, {1, kNoSource}, {2, kFinished}, {3, kDataError}, {4, kDataError}, {5, kFinished}})
        log += "NO " + std::to_string(index) + kStarted + "\nNO " + std::to_string(index) + ending + "\n";
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_EQ(outcome.out, log + "失敗したエントリ: 3\n失敗したファイル: 0\n");
    EXPECT_NE(ReadText(out() + "/t_a.jpg"), "old");

    // A pipe is read to its end: here stdin, filled before the program starts.
    test::CliLaunch launch;
    const std::string entry = Entry(photos, out()) + "\n";
    launch.in_child = [&entry] {
        int ends[2];
        if (::pipe(ends) != 0 || ::write(ends[1], entry.data(), entry.size()) != static_cast<ssize_t>(entry.size()) ||
            ::dup2(ends[0], STDIN_FILENO) < 0)
            ::_exit(126);
        ::close(ends[1]);
    };
    const CliOutcome piped = test::RunCli({"--batch-file", "/dev/stdin"}, root(), launch);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, "NO 0" + kStarted + "\nNO 0" + kFinished + "\n失敗したエントリ: 0\n失敗したファイル: 0\n");
}

// The batch line: a tree whose targets are its sources. As for a single
// run, only the command line's word lets it replace them; otherwise the entry is
// refused with the reason and the rest of the batch runs. No terminal here to ask on.
TEST_F(CliBatchTest, EntriesReplacingTheirSourcesNeedTheCommandLinesWord) {
    test::WriteSampleBitmap(in() + "/a.bmp");
    fs::create_directory(in() + "/sub");
    test::WriteSampleBitmap(in() + "/sub/b.bmp");
    const std::string original = ReadText(in() + "/sub/b.bmp");
    const std::string file = root() + "/batch.txt";
    WriteText(file, "\"" + in() + "\",\"0\",\"" + in() + "\",\"0\",\"\",\"\",\"4\",\"0\",\"1\",\"1\"\n" +
                        Entry(in(), out()) + "\n");
    const std::string refused = " : 元の画像がそれぞれ自身のサムネイルで置き換えられるため、実行しません（置き換えるには "
                                "--overwrite always）。";
    const struct {
        std::vector<std::string> options;
        int status;
        std::string entry_0;
        bool replaced;
    } rows[] = {{{}, 1, refused, false},
                {{"--overwrite", "ask"}, 1, refused, false},
                {{"--overwrite", "never"}, 0, kFinished, false},
                {{"--overwrite", "always"}, 0, kFinished, true}};
    for (const auto& row : rows) {
        std::vector<std::string> args{"--batch-file", file};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const CliOutcome outcome = Run(args);
        EXPECT_EQ(outcome.status, row.status) << outcome.err;
        EXPECT_EQ(outcome.out.substr(0, outcome.out.find("NO 1")), "NO 0" + kStarted + "\nNO 0" + row.entry_0 + "\n");
        EXPECT_NE(outcome.out.find("NO 1" + kFinished), std::string::npos) << outcome.out;
        EXPECT_EQ(ReadText(in() + "/sub/b.bmp") != original, row.replaced) << outcome.out;
    }
}

TEST_F(CliBatchTest, EmptyListOnlySaysSo) {
    const std::string ini = root() + "/nuthumb.ini";
    WriteText(ini, "[SYSTEM]\r\nScript1=\r\nScript2=" + Entry(in(), out()) + "\r\n");
    const CliOutcome outcome = Run({"--batch", "--settings", ini});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "リストに何も登録されていません。\n失敗したエントリ: 0\n失敗したファイル: 0\n");
}

TEST_F(CliBatchTest, UsageErrors) {
    // A line of 64 KiB is read (its blanks end the entry); one byte more is refused
    // before anything runs, and so is a file that may never end or holds too many
    // entries.
    const std::string entry = Entry(root() + "/missing", out());
    const std::string longest = entry + std::string(64 * 1024 - entry.size(), ' ');
    const std::string long_line = root() + "/long.txt";
    WriteText(long_line, "\n" + longest + "\r\n" + longest + " \n");
    const std::string endless = root() + "/endless.txt";  // as far as a pipe of blank lines goes
    WriteText(endless, std::string(64 * 1024 * 1024 + 1, '\n'));
    // Inside the byte limit, 33 million tiny entries would cost gigabytes of log.
    const std::string tiny = root() + "/tiny.txt";
    std::string x_cr(64 * 1024 * 1024, '\r');
    for (std::size_t i = 0; i < x_cr.size(); i += 2) x_cr[i] = 'x';
    WriteText(tiny, x_cr);
    const struct {
        std::vector<std::string> args;
        std::string err_part;
    } rows[] = {
        {{"--batch-file", root() + "/none.txt"}, "none.txt"},
        {{"--batch", "--settings", root() + "/none.ini"}, "none.ini"},
        {{"--batch-file", long_line}, "long.txt を読み込めません: 3 行目が 64 KiB を超えています"},
        {{"--batch-file", "/dev/zero"}, "/dev/zero を読み込めません: キャラクタデバイスであり、通常のファイルではありません"},
        {{"--batch-file", endless}, "endless.txt を読み込めません: 64 MiB を超えています"},
        {{"--batch-file", tiny}, "tiny.txt を読み込めません: エントリが 250000 個を超えています"},
        {{"--batch-file", root()}, "フォルダであり、通常のファイルではありません"},
    };
    for (const auto& row : rows) {
        const CliOutcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, 2) << row.err_part;
        EXPECT_NE(outcome.err.find(row.err_part), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "") << row.err_part;
    }
}

TEST_F(CliBatchTest, CtrlCStopsABatchOfFoldersWithoutFiles) {
    // No entry ever reaches a file, so only the batch itself can notice the Ctrl-C.
    constexpr int kEntries = 100000;
    std::string text;
    for (int i = 0; i < kEntries; ++i) text += Entry(in(), out()) + "\n";
    const std::string file = root() + "/batch.txt";
    WriteText(file, text);

    test::CliProcess cli({"--batch-file", file}, root());
    ASSERT_TRUE(test::InterruptWhenCaught(cli.pid()));
    const CliOutcome outcome = cli.Wait();
    EXPECT_EQ(outcome.status, 130) << outcome.err;
    const std::size_t last = outcome.out.rfind("NO ");
    ASSERT_NE(last, std::string::npos);
    EXPECT_NE(outcome.out.find(" : サムネイル作成を中断しました。\n失敗したエントリ:", last), std::string::npos)
        << outcome.out.substr(last);
    EXPECT_EQ(outcome.out.find("NO " + std::to_string(kEntries - 1) + " :"), std::string::npos);
}

}  // namespace
}  // namespace nuthumb
