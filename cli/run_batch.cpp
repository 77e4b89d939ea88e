#include "cli/run_batch.h"

#include <iostream>
#include <set>

#include "batch/batch_run.h"
#include "batch/batch_log.h"
#include "batch/batch_store.h"
#include "cli/batch_file.h"
#include "cli/cli_host.h"
#include "cli/cli_job.h"
#include "cli/error_list_output.h"
#include "cli/exit_status.h"
#include "cli/interrupt.h"
#include "cli/terminal_text.h"
#include "platform/file_io.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// The batch's log is the command's output: each line is printed when it is
// written, so a long batch shows where it is, in the user's language; the
// --error-list file gets the lines as the batch wrote them, and only then are
// they kept.
class CliBatchHost final : public CliHost, public BatchControls {
public:
    CliBatchHost(const CliRun& job, const CliOptions& options)
        : CliHost(job.overwrite_mode, job.report_load_errors, options.quiet, options.jobs),
          keep_log_(options.error_list_path.has_value()) {}

    void AppendError(const std::string& line) override { AppendLogLine(line, line); }
    void AppendLogLine(const std::string& line, const std::string& shown) override {
        ClearProgress();
        std::cout << ForStdout(shown) << std::endl;
        ++log_lines_;
        if (keep_log_) log_.push_back(line);
    }
    void SelectBatchEntry(std::size_t) override {}  // the start line names the entry
    void ResetProgressDisplay() override { ClearProgress(); }
    void SetBatchRunState() override {}
    void SetIdleState() override {}
    void ClearErrorList() override {
        log_.clear();
        log_lines_ = 0;
    }
    const std::vector<std::string>& ErrorLines() const override { return log_; }
    std::size_t ErrorLineCount() const override { return log_lines_; }
    // A Ctrl-C that came while no folder run was converting files.
    bool BatchStopRequested() const override { return InterruptRequested(); }
    bool RefusesEntry(std::size_t index) const override { return refused_.contains(index); }
    void Refuse(const std::vector<std::size_t>& entries) { refused_.insert(entries.begin(), entries.end()); }

private:
    bool keep_log_;
    std::vector<std::string> log_;
    std::size_t log_lines_ = 0;
    std::set<std::size_t> refused_;
};

// The entries to run, or nullopt after a message on stderr.
std::optional<std::vector<std::string>> BatchEntries(const CliOptions& options, const CliRun& job) {
    if (!options.batch_file) return job.settings_path.empty() ? std::vector<std::string>{}
                                                                : LoadBatchList(job.settings_path);
    try {
        return ReadBatchFile(*options.batch_file);
    } catch (const IoError& error) {
        std::cerr << "nuthumb-cli: " << ForStderr(error.what()) << "\n";
        return std::nullopt;
    }
}

// Entries that would replace their sources with their own thumbnails run on the
// user's word, as a single run does: --overwrite always or never, or a yes to
// one question on the terminal. Without it they are refused, each with the
// reason in the log, and the rest of the batch runs.
std::vector<std::size_t> EntriesToRefuse(const CliOptions& options, const std::vector<std::string>& entries,
                                         CliHost& host) {
    if (OverwriteChosen(options)) return {};
    std::vector<std::size_t> replacing = EntriesReplacingTheirSources(entries, host);
    if (!replacing.empty() && host.CanAsk() && host.AskOkCancel(OriginalsReplacedQuestion(entries, replacing)))
        replacing.clear();
    return replacing;
}

int ExitStatusOf(const BatchOutcome& outcome) {
    if (outcome.cancelled) return kExitCancelled;
    return outcome.failed_entries == 0 && outcome.failed_files == 0 ? kExitFinished : kExitFailedFiles;
}

}  // namespace

int RunBatchCommand(const CliOptions& options) {
    const std::optional<CliRun> job = LoadJob(options);
    if (!job) return kExitUsage;
    std::optional<std::vector<std::string>> entries = BatchEntries(options, *job);
    if (!entries) return kExitUsage;

    CliBatchHost host(*job, options);
    host.SetMemoryLimitMib(options.memory_limit_mib);
    host.Refuse(EntriesToRefuse(options, *entries, host));
    const BatchOutcome outcome = RunBatch(host, host, std::move(*entries), std::nullopt, job->job.conversion.photo);
    host.ClearProgress();

    int status = ExitStatusOf(outcome);
    if (options.error_list_path) {
        if (auto reason = WriteErrorListOutput(*options.error_list_path, host.ErrorLines())) {
            std::cerr << "nuthumb-cli: " << ForStderr(Fill(Tr("エラーリストを書き込めません: {}"), {*reason})) << "\n";
            if (status == kExitFinished) status = kExitFailedFiles;
        }
    }
    std::cout << Fill(Tr("失敗したエントリ: {}"), {std::to_string(outcome.failed_entries)}) << "\n"
              << Fill(Tr("失敗したファイル: {}"), {std::to_string(outcome.failed_files)}) << std::endl;
    if (!std::cout) {
        std::cerr << "nuthumb-cli: " << Tr("標準出力に書き込めません") << "\n";
        if (status == kExitFinished) status = kExitFailedFiles;
    }
    return status;
}

}  // namespace nuthumb
