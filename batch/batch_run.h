#pragma once
// batch/ keeps folder runs as entries of a list: the entry format, list editing,
// the stored list and the batch run.
//
// The batch run: every entry of the list as one folder run, in list order, with a
// log in the ErrorList instead of a message box per entry.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "image/conversion.h"
#include "run/run_host.h"

namespace nuthumb {

// What the batch run needs of its front end beyond the RunHost: the window's list
// box, progress display, enabling states and ErrorList.
class BatchControls {
public:
    virtual ~BatchControls() = default;

    // Moves the list's selection to entry `index`, without copying the entry into
    // the edit box.
    virtual void SelectBatchEntry(std::size_t index) = 0;
    // Progress position 0 and an empty status line.
    virtual void ResetProgressDisplay() = 0;
    virtual void SetBatchRunState() = 0;
    virtual void SetIdleState() = 0;
    // The ErrorList that RunHost::AppendError fills.
    virtual void ClearErrorList() = 0;
    virtual const std::vector<std::string>& ErrorLines() const = 0;
    // How many lines RunHost::AppendError gave since ClearErrorList, also those a
    // front end does not keep (the command line keeps none without --error-list).
    virtual std::size_t ErrorLineCount() const { return ErrorLines().size(); }
    // A stop that no folder run would see: the command line's Ctrl-C arriving
    // between entries or while a folder without files is listed, or the window
    // closed during the run. It also skips the export question. The window's
    // cancel button goes through the CancelFlag alone.
    virtual bool BatchStopRequested() const { return false; }
    // An entry not to run because it would replace its sources with their own
    // thumbnails and the user has not said so (the command line without
    // --overwrite always or never, and no yes on a terminal): logged with that
    // reason and counted as failed, and the batch goes on.
    virtual bool RefusesEntry(std::size_t /*index*/) const { return false; }
};

// The indexes (as the log numbers them) of the entries whose folder run would
// replace sources with their own thumbnails under the host's overwrite mode, so
// that a front end can ask once before the batch starts. Entries that would fail
// before their run (data error, missing folder) are not among them.
std::vector<std::size_t> EntriesReplacingTheirSources(const std::vector<std::string>& entries, RunHost& host);
// The question to ask before such a batch, naming those entries (the first ten,
// then how many more), in the user's language.
std::string OriginalsReplacedQuestion(const std::vector<std::string>& entries,
                                      const std::vector<std::size_t>& replacing);

struct BatchOutcome {
    std::size_t entries_taken = 0;
    // Entries with a data error, a failed folder check, no source file or a
    // source folder that could not be read.
    std::size_t failed_entries = 0;
    std::size_t failed_files = 0;  // source paths the conversions put into the log
    bool cancelled = false;
};

// Runs `entries` (taken whole at the start, so their number is fixed). An empty
// list only shows its message. Otherwise: the batch-run state, the ErrorList
// cleared, and for each entry its start line, its selection, the split, the
// silent folder check on fields 1 and 3 as stored, the folder run and its result
// line, or the refusal for an entry the controls refuse. An entry that is none
// by EntryFields (nine or ten fields on one line, a ten-field line with its
// quotes paired) or whose size, basis or resize field is not a number gets the
// data-error line, and one whose source folder cannot be read a line with the
// reason; the run goes on after each of them and stops after a cancelled entry.
// Then, with an `export_path` and no stop requested, the question to export the
// log there (written on OK; a failed write shows an error box with the reason).
// The controls end in the idle state, also when an exception passes through.
// Every entry's conversion takes `photo`: an entry has no field for it.
BatchOutcome RunBatch(RunHost& host, BatchControls& controls, std::vector<std::string> entries,
                      const std::optional<std::string>& export_path, const PhotoOptions& photo = {});

}  // namespace nuthumb
