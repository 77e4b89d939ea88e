#pragma once
// The folder run's host on a terminal: messages on stdout/stderr, a progress bar
// on stderr when it is a terminal, questions asked on the controlling terminal,
// Ctrl-C as the cancel button.
#include <string>
#include <vector>

#include "run/progress_clock.h"
#include "run/run_host.h"
#include "platform/unique_fd.h"

namespace nuthumb {

class CliHost : public RunHost {
public:
    // `quiet` silences the progress bar (drawn only when stderr is a terminal) and
    // the line per failed file. `parallel_jobs` 0 means DefaultParallelJobs().
    CliHost(OverwriteMode overwrite_mode, bool report_load_errors, bool quiet, int parallel_jobs);

    bool CancelFlag() const override { return cancel_flag_; }
    void SetCancelFlag(bool value) override { cancel_flag_ = value; }
    // Ctrl-C also ends a long decode at once, not only the run after the file.
    bool StopRequested() const override;
    void AppendError(const std::string& line) override { error_list_.push_back(line); }
    // "nuthumb-cli: FILE: REASON" on stderr, unless quiet or the boxes' texts say it.
    void NoteFailedFile(const std::string& source_path, std::string_view reason) override;
    // A run sets its maximum when it starts: the pace is counted from then.
    void SetProgressMax(int maximum) override {
        progress_max_ = maximum;
        clock_.Start(maximum);
    }
    void SetProgressPosition(int position) override { progress_position_ = position; }
    void SetStatusText(const std::string& text) override;
    void ProcessPendingMessages() override;
    OverwriteMode LiveOverwriteMode() const override { return overwrite_mode_; }
    bool ReportLoadErrors() const override { return report_load_errors_; }
    int ParallelJobs() const override { return parallel_jobs_; }
    std::uint64_t MemoryLimit() const override { return memory_limit_; }
    void SetMemoryLimitMib(std::uint64_t mib) { memory_limit_ = mib << 20; }
    // A dry run's line on stdout: "作成する: PATH（理由）" or "削除する: PATH（理由）".
    void NotePlanned(bool remove, const std::string& path, std::string_view why) override;
    void ShowError(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    // Whether a question can be asked: there is a terminal to ask it on.
    bool CanAsk() { return QuestionFd() >= 0; }

    const std::vector<std::string>& ErrorList() const { return error_list_; }
    // Removes the bar so that whatever follows starts on a clean line.
    void ClearProgress();

private:
    void DrawProgress(const std::string& status);
    // The terminal to ask on: /dev/tty, else stdin when it is a terminal; -1 for none.
    int QuestionFd();

    bool cancel_flag_ = false;
    std::vector<std::string> error_list_;
    int progress_max_ = 0;
    int progress_position_ = 0;
    ProgressClock clock_;
    OverwriteMode overwrite_mode_;
    bool report_load_errors_;
    bool quiet_;
    int parallel_jobs_;
    std::uint64_t memory_limit_ = 0;
    bool progress_on_terminal_;
    bool progress_shown_ = false;
    UniqueFd tty_;
    bool tty_looked_up_ = false;
    bool told_no_terminal_ = false;
};

}  // namespace nuthumb
