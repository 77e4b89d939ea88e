#include "run/run_folder.h"

#include <limits>
#include <vector>

#include "run/conversion_pipeline.h"
#include "run/list_files.h"
#include "run/make_thumbnail.h"
#include "run/run_targets.h"
#include "run/target_decision.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

// A progress bar counts in int; a folder with more files than that shows the
// bar saturated rather than wrapping around.
int ProgressValue(std::size_t count) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(count < kMax ? count : kMax);
}

}  // namespace

const char* RunResultMessage(int result) {
    switch (result) {
        case kRunFinished: return "サムネイル作成が終了しました。";
        case kRunNoSourceFile: return "読込み元フォルダにファイルが存在しません。";
        case kRunCancelled: return "サムネイル作成を中断しました。";
        default: return nullptr;
    }
}

int RunFolder(RunHost& host, const ThumbJob& job) {
    std::vector<std::string> names;
    const std::string pattern = "*" + std::string(ExtensionOfFormat(job.src_format));
    if (!ListFiles(names, JoinPath(job.src_dir, pattern), true, host)) return kRunNoSourceFile;

    // A cancel that arrived during the listing belongs to no file of this run.
    host.SetCancelFlag(false);
    host.SetProgressMax(ProgressValue(names.size()));

    const ImageFormat dst_format = job.conversion.target_format;
    std::vector<std::string> sources, targets, final_targets;
    for (const std::string& name : names) {
        const std::string extension = ExtensionOf(name);
        const std::string base = name.substr(0, name.size() - extension.size());
        sources.push_back(JoinPath(job.src_dir, name));
        targets.push_back(JoinPath(job.dst_dir, job.prefix + base + job.suffix + extension));
        final_targets.push_back(FinalTargetName(targets.back(), dst_format));
    }
    // One file gains nothing from a worker.
    const int workers = host.ParallelJobs() > 1 && names.size() > 1 ? host.ParallelJobs() : 0;
    ConversionPipeline pipeline(host, job.src_dir, job.dst_dir, sources, final_targets, job.conversion, workers);

    WrittenTargets written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        pipeline.NoteOverwriteMode(host.LiveOverwriteMode());
        if (MayConvertInRun(host, sources[i], targets[i], dst_format, written)) {
            if (FinishThumbnail(host, sources[i], targets[i], dst_format, pipeline.Take(i), pipeline.publisher()))
                written.Add(final_targets[i]);
        } else {
            pipeline.Skip(i);
        }
        pipeline.ReportLateFailures();

        host.SetProgressPosition(ProgressValue(i + 1));
        host.SetStatusText("サムネイル作成中 : " + names[i]);
        host.ProcessPendingMessages();
        if (host.CancelFlag()) break;
    }
    // Every target handed over is in place (or reported) before the run returns.
    pipeline.Finish();
    return host.CancelFlag() ? kRunCancelled : kRunFinished;
}

}  // namespace nuthumb
