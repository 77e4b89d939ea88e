#include "run/run_folder.h"

#include <limits>
#include <vector>

#include "run/conversion_pipeline.h"
#include "run/file_turn.h"
#include "run/list_files.h"
#include "run/run_files.h"
#include "platform/staged_file.h"
#include "platform/translate.h"

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
        case kRunFinished: return Tr("サムネイル作成が終了しました。");
        case kRunNoSourceFile: return Tr("読込み元フォルダにファイルが存在しません。");
        case kRunCancelled: return Tr("サムネイル作成を中断しました。");
        default: return nullptr;
    }
}

std::string PassedOverNote(const std::string& src_dir, ImageFormat chosen, std::string_view other_format_option,
                           RunHost& host) {
    const PassedOverImages images = CountPassedOverImages(src_dir, chosen, host);
    std::string note;
    if (images.other_format > 0)
        note = Fill(Tr("読込みファイルとは別の形式の画像が {} 個あります（{} で読み込めます）。"),
                    {std::to_string(images.other_format), other_format_option});
    if (images.unread_format > 0) {
        if (!note.empty()) note += "\r\n";
        note += Fill(Tr("読み込めない形式の画像（PNG、WebP、HEIC など）が {} 個あります。"),
                     {std::to_string(images.unread_format)});
    }
    return note;
}

int RunFolder(RunHost& host, const ThumbJob& job) {
    const RunFiles files = ListRunFiles(job, host);
    const std::vector<std::string>& names = files.names;
    if (names.empty()) return kRunNoSourceFile;
    // What runs killed before left here; a live run's files are left alone.
    RemoveStaleTempFiles(job.dst_dir);

    // A cancel that arrived during the listing belongs to no file of this run.
    host.SetCancelFlag(false);
    host.SetProgressMax(ProgressValue(names.size()));

    // One file gains nothing from a worker.
    const int workers = host.ParallelJobs() > 1 && names.size() > 1 ? host.ParallelJobs() : 0;
    ConversionPipeline pipeline(host, job.src_dir, job.dst_dir, files.sources, files.final_targets, job.conversion,
                                workers);

    WrittenTargets written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        pipeline.NoteOverwriteMode(host.LiveOverwriteMode());
        pipeline.Settle(i, written);
        TakeFileTurn(host, files, i, pipeline, written);

        host.SetProgressPosition(ProgressValue(i + 1));
        host.SetStatusText(Tr("サムネイル作成中 : ") + names[i]);
        host.ProcessPendingMessages();
        if (host.CancelFlag()) break;
    }
    // Every target handed over is in place (or reported) before the run returns.
    pipeline.Finish(written);
    return host.CancelFlag() ? kRunCancelled : kRunFinished;
}

}  // namespace nuthumb
