#include "run/run_folder.h"

#include <algorithm>
#include <limits>
#include <unordered_set>
#include <vector>

#include "run/conversion_pipeline.h"
#include "run/file_turn.h"
#include "run/library_sync.h"
#include "run/run_turns.h"
#include "run/run_files.h"
#include "run/tree_walk.h"
#include "platform/path_util.h"
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

// A folder of the tree that cannot be read fails alone: it is named with its
// reason wherever a failed file would be (the box, the ErrorList or batch log,
// the host's list of failures), and the rest of the tree is made.
void ReportUnreadableFolder(RunHost& host, const UnreadableFolder& folder) {
    if (host.ReportLoadErrors()) host.ShowError(folder.error.what());
    host.AppendLogLine(folder.error.source_text(), folder.error.what());
    host.NoteFailedFile(folder.path, folder.error.reason());
}

// The same in each target folder of a tree that exists, each looked at once:
// a gallery's targets take turns between its variants' folders.
void RemoveStaleTempFilesBelow(const RunFiles& files) {
    std::unordered_set<std::string> seen{files.made_folders_root};
    for (const std::string& target : files.final_targets) {
        std::string folder = DirectoryPart(target);
        if (seen.insert(folder).second) RemoveStaleTempFiles(folder);
    }
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

std::string PassedOverNote(const RunFiles& files, std::string_view other_format_option) {
    const PassedOverImages& images = files.passed_over;
    std::string note;
    if (images.other_format > 0)
        note = Fill(Tr("読込みファイルとは別の形式の画像が {} 個あります（{} で読み込めます）。"),
                    {std::to_string(images.other_format), other_format_option});
    if (images.unread_format > 0) {
        if (!note.empty()) note += "\r\n";
        note += Fill(Tr("読み込めない形式の画像（GIF、TIFF など）が {} 個あります。"),
                     {std::to_string(images.unread_format)});
    }
    return note;
}

int RunFolder(RunHost& host, const ThumbJob& job, RunCounts* counts) {
    return RunFolder(host, job, ListRunFiles(job, host), counts);
}

int RunFolder(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts* counts) {
    RunCounts unused;
    RunCounts& tally = counts ? *counts : unused;
    tally = RunCounts{};
    for (const UnreadableFolder& folder : files.unreadable_folders) ReportUnreadableFolder(host, folder);
    tally.failed = files.unreadable_folders.size();
    if (job.update || job.prune || job.dry_run) return RunInSync(host, job, files, tally);
    if (files.names.empty()) return kRunNoSourceFile;
    return RunTurns(host, job, files, tally, nullptr);
}

int RunTurns(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts& tally, TurnObserver* observer) {
    const std::vector<std::string>& names = files.names;
    // What runs killed before left here; a live run's files are left alone.
    RemoveStaleTempFiles(job.dst_dir);
    if (!files.made_folders_root.empty()) RemoveStaleTempFilesBelow(files);

    // A cancel that arrived during the listing belongs to no file of this run.
    host.SetCancelFlag(false);
    host.SetProgressMax(ProgressValue(names.size()));

    // One file gains nothing from a worker.
    const int workers = host.ParallelJobs() > 1 && names.size() > 1 ? host.ParallelJobs() : 0;
    ConversionPipeline pipeline(host, files, ConversionsOf(job), workers);

    WrittenTargets written;
    std::size_t taken = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        pipeline.NoteOverwriteMode(host.LiveOverwriteMode());
        tally.MadeTurnedFailed(pipeline.Settle(i, written));
        const std::vector<TurnOutcome> outcomes = TakeFileTurn(host, files, i, pipeline, written);
        for (const TurnOutcome outcome : outcomes) tally.Add(outcome);
        taken = i + 1;
        if (observer) observer->AfterTurn(i, outcomes, written, host);

        host.SetProgressPosition(ProgressValue(i + 1));
        // A kept file was looked at, not made.
        const bool kept = std::all_of(outcomes.begin(), outcomes.end(),
                                      [](TurnOutcome outcome) { return outcome == TurnOutcome::kKept; });
        host.SetStatusText((kept ? Tr("既にあるため残しました : ") : Tr("サムネイル作成中 : ")) + names[i]);
        host.ProcessPendingMessages();
        if (host.CancelFlag()) break;
    }
    tally.not_reached += (names.size() - taken) * files.targets_per_source;
    // Every target handed over is in place (or reported) before the run returns.
    tally.MadeTurnedFailed(pipeline.Finish(written));
    if (observer) observer->AfterRun(written);
    return host.CancelFlag() ? kRunCancelled : kRunFinished;
}

}  // namespace nuthumb
