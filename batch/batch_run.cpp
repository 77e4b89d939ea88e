#include "batch/batch_run.h"

#include "batch/batch_entry.h"
#include "batch/batch_log.h"
#include "run/check_folders.h"
#include "run/conversion_messages.h"
#include "run/error_list_file.h"
#include "run/run_files.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "platform/message_name.h"

namespace nuthumb {
namespace {

std::string_view ResultEnding(int result) {
    if (result == kRunNoSourceFile) return kBatchLogNoSourceFile;
    if (result == kRunCancelled) return kBatchLogCancelled;
    return kBatchLogFinished;
}

class BatchRun {
public:
    BatchRun(RunHost& host, BatchControls& controls, const PhotoOptions& photo)
        : host_(host), controls_(controls), photo_(photo) {}

    // Returns false when the batch must stop after this entry.
    bool RunEntry(std::size_t index, const std::string& entry) {
        ++outcome_.entries_taken;
        Log(index, kBatchLogStarted);
        controls_.SelectBatchEntry(index);
        if (controls_.BatchStopRequested()) {
            Log(index, kBatchLogCancelled);
            outcome_.cancelled = true;
            return false;
        }

        const std::optional<std::vector<std::string>> split = EntryFields(entry);
        if (!split) return DataError(index);
        const std::vector<std::string>& fields = *split;
        if (!CheckFolders(host_, fields[0], fields[2], 0)) {
            ++outcome_.failed_entries;
            return true;
        }
        std::optional<ThumbJob> job = JobOfFields(fields, photo_);
        if (!job) return DataError(index);
        if (controls_.RefusesEntry(index)) return Failed(index, kBatchLogOriginalsKept);

        const std::size_t lines_before = controls_.ErrorLineCount();
        std::optional<int> result;
        std::optional<IoError> unreadable_folder;
        try {
            result = RunFolder(host_, *job);
        } catch (const IoError& error) {
            unreadable_folder = error;
        }
        // Counted before the entry's own line: only source paths are failed files.
        const std::size_t lines_after = controls_.ErrorLineCount();
        if (lines_after > lines_before) outcome_.failed_files += lines_after - lines_before;
        if (result) Log(index, ResultEnding(*result));
        // The source folder could not be read; nothing of it was touched.
        else Log(index, " : " + unreadable_folder->source_text(), Fill(Tr(" : {}"), {unreadable_folder->what()}));
        controls_.ResetProgressDisplay();

        if (!result || *result == kRunNoSourceFile) ++outcome_.failed_entries;
        if (result && *result == kRunCancelled) {
            outcome_.cancelled = true;
            return false;
        }
        return true;
    }

    void OfferExport(const std::string& path) {
        const std::vector<std::string>& log = controls_.ErrorLines();
        if (log.empty() || !host_.AskOkCancel(MessageWithName(Tr(kBatchExportQuestion), path))) return;
        if (const std::optional<std::string> reason = WriteErrorListFile(path, log))
            host_.ShowError(MessageWithName(Tr(kWriteFailureMessage), path) + "\r\n" + *reason);
    }

    const BatchOutcome& outcome() const { return outcome_; }

private:
    // Each ending is a whole literal, so its view ends at the literal's NUL.
    void Log(std::size_t index, std::string_view ending) { Log(index, ending, Tr(ending.data())); }
    void Log(std::size_t index, std::string_view ending, std::string_view shown_ending) {
        host_.AppendLogLine(BatchLogLine(index, ending), ShownLogLine(index, shown_ending));
    }

    bool DataError(std::size_t index) { return Failed(index, kBatchLogDataError); }
    // An entry that ends before its folder run; the batch goes on.
    bool Failed(std::size_t index, std::string_view ending) {
        Log(index, ending);
        ++outcome_.failed_entries;
        return true;
    }

    RunHost& host_;
    BatchControls& controls_;
    PhotoOptions photo_;
    BatchOutcome outcome_;
};

}  // namespace

std::vector<std::size_t> EntriesReplacingTheirSources(const std::vector<std::string>& entries, RunHost& host) {
    std::vector<std::size_t> replacing;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::optional<std::vector<std::string>> fields = EntryFields(entries[i]);
        if (!fields) continue;
        const std::optional<ThumbJob> job = JobOfFields(*fields);
        if (job && FolderExists(job->src_dir) && CountSourcesReplacedByTheirThumbnails(*job, host) > 0)
            replacing.push_back(i);
    }
    return replacing;
}

std::string OriginalsReplacedQuestion(const std::vector<std::string>& entries,
                                      const std::vector<std::size_t>& replacing) {
    // A question of reasonable height: the first entries, then how many more.
    constexpr std::size_t kNamedEntries = 10;
    std::string named;
    for (std::size_t i = 0; i < replacing.size() && i < kNamedEntries; ++i) {
        if (!named.empty()) named += "\r\n";
        named += "NO " + std::to_string(replacing[i]) + " : " + NameForMessage(entries[replacing[i]]);
    }
    if (replacing.size() > kNamedEntries) named += "\r\n... (+" + std::to_string(replacing.size() - kNamedEntries) + ")";
    return Fill(Tr(kBatchOriginalsReplacedQuestion), {named});
}

BatchOutcome RunBatch(RunHost& host, BatchControls& controls, std::vector<std::string> entries,
                      const std::optional<std::string>& export_path, const PhotoOptions& photo) {
    if (entries.empty()) {
        host.ShowInformation(Tr(kBatchEmptyListMessage));
        return {};
    }
    controls.SetBatchRunState();
    BatchRun run(host, controls, photo);
    try {
        controls.ClearErrorList();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (!run.RunEntry(i, entries[i])) break;
        // A stop from outside (the window closed, Ctrl-C) means the user is
        // leaving: nothing more is asked.
        if (export_path && !controls.BatchStopRequested()) run.OfferExport(*export_path);
    } catch (...) {
        controls.SetIdleState();
        throw;
    }
    controls.SetIdleState();
    return run.outcome();
}

}  // namespace nuthumb
