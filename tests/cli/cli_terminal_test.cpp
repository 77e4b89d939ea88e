// nuthumb-cli on a pseudo-terminal: the questions are asked there and answered
// with y or n, and stderr carries the progress bar.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"

namespace nuthumb {
namespace {

using test::ReadText;
using test::WriteText;

class TerminalSession {
public:
    static constexpr std::chrono::seconds kPatience{20};

    explicit TerminalSession(const std::vector<std::string>& args) {
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) test::ExecCli(args);
    }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;
    ~TerminalSession() {
        if (pid_ > 0 && status_ < 0) test::KillAndReap(pid_);
        if (master_ >= 0) ::close(master_);
    }

    bool started() const { return pid_ > 0; }

    // Reads until `text` has appeared `count` times in all output so far, or the
    // program ends, or 20 s pass. True when it appeared.
    bool WaitFor(const std::string& text, std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (Occurrences(text) < count) {
            if (std::chrono::steady_clock::now() > deadline || !ReadSome()) return false;
        }
        return true;
    }
    void Type(const std::string& text) { ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size())); }

    int Finish() {
        // Everything the program writes, up to its end (or the patience's).
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline && ReadSome()) {
        }
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_;
    }
    const std::string& output() const { return output_; }

private:
    std::size_t Occurrences(const std::string& text) const {
        std::size_t n = 0;
        for (auto at = output_.find(text); at != std::string::npos; at = output_.find(text, at + 1)) ++n;
        return n;
    }
    bool ReadSome() {
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, 200) <= 0) return true;  // nothing yet; the caller checks the clock
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) return false;  // the program closed the terminal
        output_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string output_;
};

TEST(CliTerminalTest, AsksOnTheTerminalAndShowsProgress) {
    test::RunFolders folders;
    for (const char* name : {"a.bmp", "b.bmp"}) test::WriteSampleBitmap(folders.in() + "/" + name);
    for (const char* name : {"a.jpg", "b.jpg"}) WriteText(folders.out() + "/" + name, "old");

    TerminalSession cli({folders.in(), folders.out(), "--from", "bmp", "--overwrite", "ask"});
    ASSERT_TRUE(cli.started());
    const std::string prompt = "[y=はい/N=いいえ] ";
    // a.jpg: asked before loading and again before saving; b.jpg: refused at once.
    ASSERT_TRUE(cli.WaitFor(prompt, 1)) << cli.output();
    cli.Type("y\n");
    ASSERT_TRUE(cli.WaitFor(prompt, 2)) << cli.output();
    cli.Type("y\n");
    ASSERT_TRUE(cli.WaitFor(prompt, 3)) << cli.output();
    cli.Type("n\n");
    EXPECT_EQ(cli.Finish(), 0) << cli.output();

    EXPECT_NE(cli.output().find("同一ファイルが存在します。上書きしますか?\r\nFilename : a.jpg"), std::string::npos)
        << cli.output();
    // Count/total, the pace once a second has passed, then the file: made or kept.
    const std::string& bar = cli.output();
    const std::size_t first = bar.find("] 1/2 ");
    EXPECT_LT(first, bar.find("サムネイル作成中 : a.bmp", first)) << bar;
    const std::size_t second = bar.find("] 2/2 ");
    EXPECT_LT(second, bar.find("既にあるため残しました : b.bmp", second)) << bar;
    EXPECT_NE(ReadText(folders.out() + "/a.jpg"), "old");
    EXPECT_EQ(ReadText(folders.out() + "/b.jpg"), "old");
}

// Sources that would become their own thumbnails: on a terminal the run asks
// (n keeps them, exit 2), and so does a batch, once for its entries (y runs them).
TEST(CliTerminalTest, AsksBeforeOriginalsBecomeTheirOwnThumbnails) {
    test::RunFolders folders;
    test::WriteSampleBitmap(folders.in() + "/a.bmp");
    const std::string original = ReadText(folders.in() + "/a.bmp");
    const std::string prompt = "[y=はい/N=いいえ] ";

    TerminalSession single({folders.in(), folders.in(), "--from", "bmp", "--to", "bmp"});
    ASSERT_TRUE(single.started());
    ASSERT_TRUE(single.WaitFor(prompt, 1)) << single.output();
    single.Type("n\n");
    EXPECT_EQ(single.Finish(), 2) << single.output();
    EXPECT_NE(single.output().find("元の画像 1 個がそれぞれ自身のサムネイルで置き換えられます。"), std::string::npos)
        << single.output();
    EXPECT_EQ(ReadText(folders.in() + "/a.bmp"), original);

    const std::string file = folders.root() + "/batch.txt";
    const std::string entry = "\"" + folders.in() + "\",\"0\",\"" + folders.in() + "\",\"0\",\"\",\"\",\"4\",\"0\",\"1\"";
    WriteText(file, entry + "\n");
    TerminalSession batch({"--batch-file", file});
    ASSERT_TRUE(batch.started());
    ASSERT_TRUE(batch.WaitFor(prompt, 1)) << batch.output();
    batch.Type("y\n");
    EXPECT_EQ(batch.Finish(), 0) << batch.output();
    EXPECT_NE(batch.output().find("NO 0 : " + entry + "\r\nバッチ処理を実行しますか?"), std::string::npos)
        << batch.output();
    EXPECT_NE(ReadText(folders.in() + "/a.bmp"), original);
}

// A file name full of terminal controls shows escaped on the terminal (its
// failure line and the progress bar), and reaches a pipe byte for byte.
TEST(CliTerminalTest, ControlBytesInNamesShowEscapedOnATerminalOnly) {
    test::RunFolders folders;
    const std::string name = "a\x1b]0;owned\x07\x1b[31m\b\n.bmp";
    WriteText(folders.in() + "/" + name, "damaged");
    TerminalSession cli({folders.in(), folders.out(), "--from", "bmp"});
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Finish(), 1) << cli.output();
    const std::string shown = "a\\033]0;owned\\a\\033[31m\\b\\n.bmp";
    EXPECT_NE(cli.output().find("nuthumb-cli: " + folders.in() + "/" + shown + ": "), std::string::npos)
        << cli.output();
    // The bar is cut to the terminal's width.
    EXPECT_NE(cli.output().find("1/1 サムネイル作成中 : a\\033]0;owned\\a"), std::string::npos) << cli.output();
    EXPECT_EQ(cli.output().find("\x1b]"), std::string::npos) << cli.output();

    const test::CliOutcome piped = test::RunCli({folders.in(), folders.out(), "--from", "bmp"}, folders.root());
    EXPECT_NE(piped.err.find(folders.in() + "/" + name + ": "), std::string::npos) << piped.err;
}

TEST(CliTerminalTest, QuietShowsNoProgress) {
    test::RunFolders folders;
    test::WriteSampleBitmap(folders.in() + "/a.bmp");
    TerminalSession cli({folders.in(), folders.out(), "--from", "bmp", "--quiet"});
    ASSERT_TRUE(cli.started());
    EXPECT_EQ(cli.Finish(), 0);
    EXPECT_EQ(cli.output().find("1/1"), std::string::npos) << cli.output();
    EXPECT_NE(cli.output().find("サムネイル作成が終了しました。"), std::string::npos) << cli.output();
}

}  // namespace
}  // namespace nuthumb
