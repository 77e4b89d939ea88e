// nuthumb-cli in each language: every line on the screen in the user's language
// (Japanese under Japanese and C, English under English, never mixed), while the
// error-list file keeps the batch log's own Japanese texts.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/file_io.h"
#include "platform/text_codec.h"
#include "tests/cli/cli_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/language.h"
#include "tests/support/sample_images.h"

namespace nuthumb {
namespace {

using test::CliOutcome;

class CliLanguageTest : public ::testing::TestWithParam<const char*>, protected test::RunFolders {
protected:
    void SetUp() override {
        if (!test::LocaleInstalled(GetParam())) FAIL() << GetParam() << " is not generated: run scripts/setup.sh";
        test::WriteSampleBitmap(in() + "/a.bmp");
        test::WriteText(in() + "/z.bmp", "damaged");
    }
    CliOutcome Run(const std::vector<std::string>& args) {
        const std::string lang = GetParam();
        return test::RunCli(args, root(), {.in_child = [lang] { test::UseLanguage(lang); }});
    }
    bool english() const { return test::IsEnglish(GetParam()); }
    // The expected text: the source's under Japanese and C, else the English one.
    std::string Text(const std::string& japanese, const std::string& english_text) const {
        return english() ? english_text : japanese;
    }
    void ExpectOneLanguage(const CliOutcome& outcome) const {
        if (english()) {
            EXPECT_FALSE(test::HasNonAscii(outcome.out + outcome.err)) << outcome.out << outcome.err;
        }
    }
};

// The result, then what became of the files: one made, one kept, one failed.
TEST_P(CliLanguageTest, RunReportsAndMessages) {
    test::WriteSampleBitmap(in() + "/b.bmp");
    test::WriteText(out() + "/b.jpg", "old");
    const CliOutcome outcome =
        Run({in(), out(), "--from", "bmp", "--report-load-errors", "--quiet", "--overwrite", "never"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out,
              Text("サムネイル作成が終了しました。\n作成: 1 個、既にあったため残した: 1 個、失敗: 1 個\n失敗したファイル: 1\n",
                   "Finished making thumbnails.\nMade: 1, kept (already there): 1, failed: 1\nFailed files: 1\n"));
    EXPECT_EQ(outcome.err, Text("ファイルが壊れている可能性があります。\nFilename : z.bmp\n",
                                "The file may be damaged.\nFile: z.bmp\n"));
    ExpectOneLanguage(outcome);
}

// Reasons that come from below the run (a pipe, the JPEG decoder) follow the
// language too.
TEST_P(CliLanguageTest, FailuresOfAPipeAndADamagedJpeg) {
    test::WriteText(in() + "/d.jpg", std::string("\xFF\xD8\xFF\xDB\x00\x43", 6) + "damaged");
    const std::string fifo = root() + "/list.pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CliOutcome outcome = Run({in(), out(), "--from", "jpg", "--error-list", fifo});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              Text("nuthumb-cli: " + in() + "/d.jpg: 読み込めません: 壊れているか、正しいサムネイルを作れません\n"
                   "nuthumb-cli: エラーリストを書き込めません: " + fifo + " に書き込めません: 読み出すプロセスのない名前付きパイプです\n",
                   "nuthumb-cli: " + in() + "/d.jpg: cannot be read: damaged, or no usable thumbnail can be made of it\n"
                   "nuthumb-cli: cannot write the error list: cannot write " + fifo + ": no process reads the named pipe\n"));
    ExpectOneLanguage(outcome);
}

TEST_P(CliLanguageTest, UsageErrorsAndHelp) {
    const struct {
        std::vector<std::string> args;
        std::string japanese, english;
    } rows[] = {
        {{"in"}, "SOURCE_DIR と DEST_DIR は両方とも指定するか、どちらも指定しないでください",
         "give both SOURCE_DIR and DEST_DIR, or neither"},
        {{"in", "out", "--size", "16385"}, "--size: 16385 は 30-16384 の範囲の整数ではありません",
         "--size: 16385 is not a whole number in the range 30-16384"},
        {{"in", "out", "extra"}, "余分な引数があります: extra", "unexpected arguments: extra"},
        {{"in", "out", "--bogus", "-x"}, "不明なオプションです: --bogus -x", "unknown option: --bogus -x"},
        {{"in", "out", "-s", "30", "--size", "40"}, "--size: 2 回以上指定されています", "--size: given more than once"},
        {{"in", "out", "--jobs"}, "--jobs: 値がありません", "--jobs: a value is missing"},
        {{"in", "out", "--auto-orient=maybe"}, "--auto-orient: maybe は使える値ではありません",
         "--auto-orient: maybe is not a valid value"},
    };
    for (const auto& row : rows) {
        const CliOutcome outcome = Run(row.args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err, "nuthumb-cli: " + Text(row.japanese, row.english) + "\n" +
                                   Text("詳しくは --help を付けて実行してください。\n",
                                        "Run with --help for more information.\n"));
        ExpectOneLanguage(outcome);
    }
    const CliOutcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const std::string& part : {Text("使い方: nuthumb-cli", "Usage: nuthumb-cli"), Text("オプション:", "Options:"),
                                    Text("（既定値: 50）", "(default: 50)"), Text("終了ステータス:", "Exit status:"),
                                    std::string("-s,--size N"), std::string("-q,--quiet"), std::string("-j,--jobs N"),
                                    std::string("--auto-orient,--no-auto-orient\n")})
        EXPECT_NE(help.out.find(part), std::string::npos) << part << "\n" << help.out;
    ExpectOneLanguage(help);
}

TEST_P(CliLanguageTest, BatchLogOnScreenFollowsTheLanguageTheFileDoesNot) {
    const std::string entries = root() + "/entries.txt";
    test::WriteText(entries, "\"" + in() + "\",\"0\",\"" + out() + "\",\"1\",\"\",\"\",\"40\",\"0\",\"1\"\nbroken\n");
    const std::string list = root() + "/list.err";
    const CliOutcome outcome = Run({"--batch-file", entries, "--error-list", list, "--quiet"});
    EXPECT_EQ(outcome.status, 1);
    const std::string log = "NO 0 : サムネイル作成開始。\n" + in() + "/z.bmp\nNO 0 : サムネイル作成終了。\n" +
                            "NO 1 : サムネイル作成開始。\nNO 1 : 登録データエラー\u3000\uFF0D\u3000終了。\n";
    EXPECT_EQ(outcome.out, Text(log + "失敗したエントリ: 1\n失敗したファイル: 1\n",
                                "Entry 0: started.\n" + in() +
                                    "/z.bmp\nEntry 0: finished.\nEntry 1: started.\nEntry 1: skipped, the entry's data is "
                                    "invalid.\nFailed entries: 1\nFailed files: 1\n"));
    ExpectOneLanguage(outcome);
    std::string crlf;
    for (const char c : log) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(test::ReadText(list), EncodeCp932(crlf).value());
}

INSTANTIATE_TEST_SUITE_P(Languages, CliLanguageTest, ::testing::ValuesIn(test::kLanguages),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.')) == "C" ? std::string("C")
                                                                           : name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace nuthumb
