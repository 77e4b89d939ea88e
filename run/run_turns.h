#pragma once
// The files of a run taken in turn, with whoever needs to follow them: a run
// kept in sync records each target once it is in place.
#include <cstddef>
#include <vector>

#include "run/file_turn.h"
#include "run/run_counts.h"
#include "run/run_files.h"
#include "run/run_host.h"
#include "run/thumb_job.h"

namespace nuthumb {

class TurnObserver {
public:
    virtual ~TurnObserver() = default;
    // After file i's turn (i in the files the run was given); its targets may
    // still wait for their renames.
    virtual void AfterTurn(std::size_t i, const std::vector<TurnOutcome>& outcomes, const WrittenTargets& written,
                           RunHost& host) = 0;
    // After the last turn, every target in place or reported.
    virtual void AfterRun(const WrittenTargets& written) = 0;
};

// RunFolder's work on a listing that holds files: stale temporary files
// removed, each file's turn with the progress and status after it, the cancel
// polled, every target in place before it returns. Adds to `tally`.
int RunTurns(RunHost& host, const ThumbJob& job, const RunFiles& files, RunCounts& tally, TurnObserver* observer);

}  // namespace nuthumb
