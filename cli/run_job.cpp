#include "cli/run_job.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/cli_host.h"
#include "cli/cli_job.h"
#include "cli/error_list_output.h"
#include "cli/exit_status.h"
#include "cli/terminal_text.h"
#include "run/check_folders.h"
#include "run/conversion_messages.h"
#include "run/drive_root.h"
#include "run/run_files.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "platform/make_folders.h"
#include "platform/message_name.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// Folders named on the command line may be one folder: with the defaults every
// photo would become its own thumbnail. That needs the user's word: --overwrite
// always (or never, which replaces nothing), or a yes on the terminal. The job
// mode keeps what the user chose in the window.
bool MayReplaceSources(const CliOptions& options, const RunFiles& files, CliHost& host) {
    if (!options.src_dir || OverwriteChosen(options)) return true;
    const std::vector<std::string> own = SourcesThatAreTheirOwnTargets(files);
    if (own.empty()) return true;
    if (host.CanAsk()) return host.AskOkCancel(Fill(Tr(kOriginalsReplacedQuestion), {std::to_string(own.size())}));
    const std::string first = ForStderr(NameForMessage(own.front())) + (own.size() > 1 ? ", ..." : "");
    std::cerr << "nuthumb-cli: "
              << Fill(own.size() == 1 ? Tr("開始しません: 元のファイル {} 個が自身のサムネイルで置き換えられます（{}）。")
                                      : Tr("開始しません: 元のファイル {} 個がそれぞれ自身のサムネイルで置き換えられます（{}）。"),
                      {std::to_string(own.size()), first})
              << "\n"
              << Tr("元のファイルを置き換えるには --overwrite always を指定してください。または別の DEST_DIR、"
                    "--prefix、--suffix を選んでください。")
              << "\n";
    return false;
}

// A destination that is not there yet is made with every missing parent, as
// mkdir -p makes it, once the source folder is known to exist (so a mistyped
// source makes nothing); the window keeps asking for an existing folder. False,
// after the reason on stderr, when it cannot be made.
bool MakeMissingDestination(const ThumbJob& job, bool quiet) {
    if (job.src_dir.empty() || job.dst_dir.empty() || !FolderExists(job.src_dir) || FolderExists(job.dst_dir))
        return true;
    try {
        MakeFoldersBelow("", job.dst_dir);
    } catch (const IoError& error) {
        // It names the folder that could not be made (perhaps a parent) and why.
        std::cerr << "nuthumb-cli: " << ForStderr(error.what()) << "\n";
        return false;
    }
    if (!quiet)
        std::cerr << "nuthumb-cli: " << ForStderr(Fill(Tr("保存先フォルダ {} を作成しました"), {job.dst_dir})) << "\n";
    return true;
}

// After a failed folder check of a job read from a settings file: which file that
// was, since its folders are what the check looked at.
void NameSettingsFile(const CliRun& run, const CliOptions& options) {
    if (run.settings_path.empty() || options.src_dir) return;
    const std::string text = FileExists(run.settings_path)
                                 ? Fill(Tr("処理内容は設定ファイル {} から読みました。"), {run.settings_path})
                                 : Fill(Tr("設定ファイル {} はありません。フォルダをコマンドラインで指定するか、"
                                           "ウィンドウで設定してください。"),
                                        {run.settings_path});
    std::cerr << "nuthumb-cli: " << ForStderr(text) << "\n";
}

int ExitStatusOf(int result, std::size_t failed_files) {
    if (result == kRunCancelled) return kExitCancelled;
    // A tree whose only images lay in folders that could not be read is no empty one.
    if (result == kRunNoSourceFile) return failed_files == 0 ? kExitNoSourceFile : kExitFailedFiles;
    return failed_files == 0 ? kExitFinished : kExitFailedFiles;
}

// A run whose report or list did not arrive is no success.
void Fail(int& status, const std::string& what) {
    std::cerr << "nuthumb-cli: " << ForStderr(what) << "\n";
    if (status == kExitFinished) status = kExitFailedFiles;
}

}  // namespace

int RunJob(const CliOptions& options) {
    std::optional<CliRun> loaded = LoadJob(options);
    if (!loaded) return kExitUsage;
    ThumbJob& job = loaded->job;

    CliHost host(loaded->overwrite_mode, loaded->report_load_errors, options.quiet, options.jobs);
    host.SetMemoryLimitMib(options.memory_limit_mib);
    if (!MakeMissingDestination(job, options.quiet)) return kExitUsage;
    if (!CheckFolders(host, job.src_dir, job.dst_dir, 1)) {
        NameSettingsFile(*loaded, options);
        return kExitUsage;
    }

    job.src_dir = ApplyDriveRootRule(job.src_dir);
    job.dst_dir = ApplyDriveRootRule(job.dst_dir);
    const std::string& src_dir = job.src_dir;
    int result = 0;
    std::string passed_over;
    RunCounts counts;
    try {
        // One listing for the check, the run and the note after it: a tree is read once.
        const RunFiles files = ListRunFiles(job, host);
        if (!MayReplaceSources(options, files, host)) return kExitUsage;
        result = RunFolder(host, job, files, &counts);
        if (result != kRunCancelled) passed_over = PassedOverNote(files, "--from all");
    } catch (const IoError& error) {
        // Nothing was converted because nothing could be listed, not because the
        // folder holds no file of the format.
        host.ShowError(MessageWithName(Tr(kFolderReadFailureMessage), src_dir) + "\r\n" + error.what());
        return kExitUsage;
    }
    host.ClearProgress();
    const std::size_t failed = host.ErrorList().size();
    int status = ExitStatusOf(result, failed);

    // The list first: a reader that stops early (| head -1) must not cost it.
    if (options.error_list_path) {
        if (auto reason = WriteErrorListOutput(*options.error_list_path, host.ErrorList()))
            Fail(status, Fill(Tr("エラーリストを書き込めません: {}"), {*reason}));
    }
    // A dry run made nothing: its plan and counts say all there is.
    if (const char* text = RunResultMessage(result); text && !job.dry_run) host.ShowInformation(text);
    if (result != kRunNoSourceFile || counts.removed > 0) host.ShowInformation(RunCountsText(counts));
    if (!passed_over.empty()) host.ShowInformation(passed_over);
    std::cout << Fill(Tr("失敗したファイル: {}"), {std::to_string(failed)}) << std::endl;
    if (!std::cout) {
        const int err = errno;
        Fail(status, err ? Fill(Tr("標準出力に書き込めません: {}"), {std::strerror(err)}) : std::string(Tr("標準出力に書き込めません")));
    }
    return status;
}

}  // namespace nuthumb
