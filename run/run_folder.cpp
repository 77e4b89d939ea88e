#include "run/run_folder.h"

#include <limits>
#include <optional>
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

int RunFolder(RunHost& host, const std::string& src_dir, const std::string& src_format,
              const std::string& dst_dir, const std::string& dst_format, const std::string& prefix,
              const std::string& suffix, std::int32_t size, std::int32_t basis,
              std::uint8_t resize_flag) {
    std::vector<std::string> names;
    if (!ListFiles(names, JoinPath(src_dir, "*." + src_format), true, host)) return kRunNoSourceFile;

    // A cancel that arrived during the listing belongs to no file of this run.
    host.SetCancelFlag(false);
    host.SetProgressMax(ProgressValue(names.size()));

    std::vector<std::string> sources, targets, final_targets;
    for (const std::string& name : names) {
        const std::string extension = ExtensionOf(name);
        const std::string base = name.substr(0, name.size() - extension.size());
        sources.push_back(JoinPath(src_dir, name));
        targets.push_back(JoinPath(dst_dir, prefix + base + suffix + extension));
        final_targets.push_back(FinalTargetName(targets.back(), dst_format));
    }
    const ConversionJob job{size, basis, dst_format, resize_flag};
    const DecodeOptions options{[&host] { return host.StopRequested(); }};
    std::optional<ConversionPipeline> pipeline;
    if (host.ParallelJobs() > 1 && names.size() > 1)
        pipeline.emplace(host, src_dir, dst_dir, sources, final_targets, job, host.ParallelJobs());

    WrittenTargets written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (pipeline) pipeline->NoteOverwriteMode(host.OverwriteMode());
        if (MayConvertInRun(host, sources[i], targets[i], dst_format, written)) {
            PreparedThumbnail prepared = pipeline ? pipeline->Take(i) : PrepareThumbnail(sources[i], job, options);
            if (FinishThumbnail(host, sources[i], targets[i], dst_format, std::move(prepared),
                                pipeline ? &pipeline->publisher() : nullptr))
                written.Add(final_targets[i]);
        } else if (pipeline) {
            pipeline->Skip(i);
        }
        if (pipeline) pipeline->ReportLateFailures();

        host.SetProgressPosition(ProgressValue(i + 1));
        host.SetStatusText("サムネイル作成中 : " + names[i]);
        host.ProcessPendingMessages();
        if (host.CancelFlag()) break;
    }
    // Every target handed over is in place (or reported) before the run returns.
    if (pipeline) pipeline->Finish();
    return host.CancelFlag() ? kRunCancelled : kRunFinished;
}

}  // namespace nuthumb
