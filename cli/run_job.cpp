#include "cli/run_job.h"

#include <iostream>

#include "cli/cli_host.h"
#include "cli/cli_job.h"
#include "cli/exit_status.h"
#include "engine/check_folders.h"
#include "engine/drive_root.h"
#include "engine/error_list_file.h"
#include "engine/run_folder.h"

namespace nuthumb {
namespace {

const char* ResultText(int result) {
    switch (result) {
        case kRunFinished: return "サムネイル作成が終了しました。";
        case kRunNoSourceFile: return "読込み元フォルダにファイルが存在しません。";
        case kRunCancelled: return "サムネイル作成を中断しました。";
        default: return nullptr;
    }
}

int ExitStatusOf(int result, std::size_t failed_files) {
    if (result == kRunCancelled) return kExitCancelled;
    if (result == kRunNoSourceFile) return kExitNoSourceFile;
    return failed_files == 0 ? kExitFinished : kExitFailedFiles;
}

}  // namespace

int RunJob(const CliOptions& options) {
    const std::optional<CliJob> loaded = LoadJob(options);
    if (!loaded) return kExitUsage;
    const CliJob& job = *loaded;

    CliHost host(job.overwrite_mode, job.report_load_errors, !options.quiet);
    if (!CheckFolders(host, job.src_dir, job.dst_dir, 1)) return kExitUsage;

    const int result = RunFolder(host, ApplyDriveRootRule(job.src_dir), job.src_format,
                                 ApplyDriveRootRule(job.dst_dir), job.dst_format, job.prefix,
                                 job.suffix, job.size, job.basis, job.resize_flag);
    host.ClearProgress();
    if (const char* text = ResultText(result)) host.ShowInformation(text);
    const std::size_t failed = host.ErrorList().size();
    std::cout << "Failed files: " << failed << std::endl;

    int status = ExitStatusOf(result, failed);
    if (options.error_list_path) {
        if (auto reason = WriteErrorListFile(*options.error_list_path, host.ErrorList())) {
            std::cerr << "nuthumb-cli: cannot write the error list: " << *reason << "\n";
            if (status == kExitFinished) status = kExitFailedFiles;
        }
    }
    return status;
}

}  // namespace nuthumb
