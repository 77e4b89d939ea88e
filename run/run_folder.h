#pragma once
// run/ carries out a ThumbJob over a folder: the listing, the target names and
// overwrite decisions, each file's conversion (image/) and write, the pipeline of
// workers and the publisher, the folder check and the error-list file. Whoever
// runs it (window, command line, batch, tests) is a RunHost.
//
// One ThumbJob over a folder: list, pre-check, convert, report progress.
#include <string>
#include <string_view>

#include "run/run_counts.h"
#include "run/run_host.h"
#include "run/run_files.h"
#include "run/thumb_job.h"

namespace nuthumb {

// The outcome of a folder run; the values are the ones callers and logs use.
enum RunResult : int {
    kRunFinished = 1,    // every listed file was handled
    kRunNoSourceFile = 2,  // the pattern found no file; nothing was touched
    kRunCancelled = 3,   // stopped on the CancelFlag
};

// The text that reports a run's result to the user, in the user's language;
// nullptr for a value that has none.
const char* RunResultMessage(int result);

// What a front end says after a run's result about the images its listing
// `files` passed over (empty when there are none), so that a folder of the other
// format, or of one no run reads, is not just "no file". A tree run counts over
// every folder it read. `other_format_option` names the front end's way of
// reading the other format.
std::string PassedOverNote(const RunFiles& files, std::string_view other_format_option);

// Converts every file of the job's source format (its extension in any letter
// case) in its source folder into its destination folder as prefix + base name +
// suffix, as the job's conversion says. A recursive job also takes the folders
// below (WalkTree: the destination, hidden folders and links to folders passed
// over), each target at the same relative place under the destination, whose
// missing folders are made when a target is written there; a folder that cannot
// be read is named with its reason (a box when load errors are reported, the
// host's AppendLogLine in Japanese, NoteFailedFile) before the first file, and
// the rest is made. The folders are used as given (the
// drive-root rule is the caller's). Files are taken in the listing's order; the
// listing is complete before the first conversion, so targets written into the
// source folder are not picked up. A source whose final target is a file that an
// earlier file of the run wrote (by that name or another: a link, a name differing
// in case on a case-blind file system) fails (ErrorList) instead of replacing that
// thumbnail.
// After each file, handled or skipped, the progress position becomes its 1-based
// index, the status line names it (saying that the file was kept when an
// existing target stayed), pending messages are handled and the CancelFlag is
// polled. `counts`, when given, gets how many files were made, kept and failed
// (all zero when no file was found). A source folder that cannot be read throws ListFiles'
// IoError before anything (CancelFlag, progress, status, files) is touched. With
// host.ParallelJobs() above 1, files are read and decoded ahead on that many
// worker threads, within one memory budget (host.MemoryLimit()), and written
// targets are synced and renamed into place behind the run (ConversionPipeline).
// Every decision sees what the one-thread run would see: a target still waiting
// for its rename where a later file's target lies (by any name) is put in place
// before that file is checked, and targets are compared as files, not names.
// The one difference: a sync or rename that fails after its file's turn is shown
// (in the one-thread run's words, and the target counts as never written) at the
// start of a later file's turn or at the end, after the messages of the files
// between, where the one-thread run shows it before them. Every target is in
// place when the run returns. Temporary files that killed runs left in the
// destination folder (in a tree, in each target folder there is) are removed
// first.
int RunFolder(RunHost& host, const ThumbJob& job, RunCounts* counts = nullptr);
// The same run over `files`, the job's listing (ListRunFiles), for a caller that
// looks at it before or after the run (the question about originals, the note
// on images passed over): the folders are then read once. The run and its
// workers use `files` by reference until it returns.
int RunFolder(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts* counts = nullptr);

}  // namespace nuthumb
