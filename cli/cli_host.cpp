#include "cli/cli_host.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "cli/interrupt.h"
#include "cli/terminal_text.h"
#include "platform/message_name.h"
#include "platform/online_cores.h"
#include "platform/text_codec.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

constexpr int kBarWidth = 24;

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

CliHost::CliHost(OverwriteMode overwrite_mode, bool report_load_errors, bool quiet, int parallel_jobs)
    : overwrite_mode_(overwrite_mode),
      report_load_errors_(report_load_errors),
      quiet_(quiet),
      parallel_jobs_(parallel_jobs > 0 ? parallel_jobs : DefaultParallelJobs()),
      progress_on_terminal_(!quiet && ::isatty(STDERR_FILENO)) {}

void CliHost::NoteFailedFile(const std::string& source_path, std::string_view reason) {
    if (quiet_ || report_load_errors_) return;
    ClearProgress();
    std::cerr << ForStderr("nuthumb-cli: " + NameForMessage(source_path) + ": " + std::string(reason)) << std::endl;
}

void CliHost::SetStatusText(const std::string& text) {
    if (progress_on_terminal_) DrawProgress(text);
}

bool CliHost::StopRequested() const { return InterruptRequested(); }

void CliHost::ProcessPendingMessages() {
    if (InterruptRequested()) cancel_flag_ = true;
}

void CliHost::DrawProgress(const std::string& status) {
    const long long total = progress_max_ > 0 ? progress_max_ : 1;
    const long long done = std::clamp<long long>(progress_position_, 0, total);
    const int filled = static_cast<int>(kBarWidth * done / total);
    std::string line = "\r\x1b[K[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] " +
                       clock_.CountText(progress_position_) + " ";
    // The pace, once there is one: "3.4 個/秒 残り 1:42".
    const auto now = ProgressClock::Clock::now();
    if (const std::string rate = clock_.RateText(progress_position_, now); !rate.empty())
        line += rate + " " + clock_.TimeLeftText(progress_position_, now) + " ";
    // Bytes are at least as many as columns, so cutting by bytes never wraps the line.
    const long room = static_cast<long>(TerminalColumns()) - static_cast<long>(line.size() - 4) - 1;
    // The bar is drawn only on a terminal, where a name's control bytes show escaped.
    const std::string shown = TerminalText(status, true);
    if (room > 0) line.append(shown, 0, Utf8PrefixLength(shown, static_cast<std::size_t>(room)));
    std::cerr << line << std::flush;
    progress_shown_ = true;
}

void CliHost::ClearProgress() {
    if (!progress_shown_) return;
    std::cerr << "\r\x1b[K" << std::flush;
    progress_shown_ = false;
}

void CliHost::ShowError(const std::string& text) {
    ClearProgress();
    std::cerr << ForStderr(text) << std::endl;
}

void CliHost::NotePlanned(bool remove, const std::string& path, std::string_view why) {
    std::string line = Fill(remove ? Tr("削除する: {}") : Tr("作成する: {}"), {NameForMessage(path)});
    if (!why.empty()) line += Fill(Tr("（{}）"), {std::string(why)});
    std::cout << ForStdout(line) << "\n";
}

void CliHost::ShowInformation(const std::string& text) {
    ClearProgress();
    std::cout << ForStdout(text) << std::endl;
}

int CliHost::QuestionFd() {
    if (!tty_looked_up_) {
        tty_looked_up_ = true;
        tty_ = UniqueFd(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
    }
    if (tty_) return tty_.get();
    return ::isatty(STDIN_FILENO) ? STDIN_FILENO : -1;
}

bool CliHost::AskOkCancel(const std::string& text) {
    ClearProgress();
    const int fd = QuestionFd();
    if (fd < 0) {
        if (!told_no_terminal_) {
            std::cerr << "nuthumb-cli: " << Tr("確認を尋ねる端末がないため、すべての確認に「いいえ」と答えます") << std::endl;
            told_no_terminal_ = true;
        }
        return false;
    }
    const std::string prompt = TerminalText(text, true) + "\n" + Tr("[y=はい/N=いいえ] ");
    if (fd == tty_.get()) {
        // The terminal itself, so the question shows even when stderr goes to a file.
        if (::write(fd, prompt.data(), prompt.size()) < 0) return false;
    } else {
        std::cerr << prompt << std::flush;
    }
    std::string answer;
    char c = 0;
    // A Ctrl-C interrupts the read (the handler has no SA_RESTART) and means no.
    while (::read(fd, &c, 1) == 1 && c != '\n') answer.push_back(c);
    return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace nuthumb
