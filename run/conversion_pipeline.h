#pragma once
// The machinery of a folder run: workers prepare the files ahead of the run, and
// a publisher makes the written targets durable and puts them in place behind it.
// The run's own thread keeps every decision, message and report, in list order,
// so a run looks exactly as it does on one thread. With no workers it is the
// one-thread run: each file is prepared at its turn and written at once.
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "run/file_publisher.h"
#include "image/prepare_thumbnails.h"
#include "run/memory_budget.h"
#include "run/run_host.h"
#include "run/file_turn.h"
#include "run/thumbnail_prefetcher.h"
#include "platform/file_identity.h"

namespace nuthumb {

class ConversionPipeline {
public:
    // `files` is the run's listing, used by reference by the run's thread and the
    // workers: it must outlive the pipeline. `workers` may be 0.
    // `conversions`: what each source becomes, one for each of its targets.
    ConversionPipeline(RunHost& host, const RunFiles& files, std::vector<Conversion> conversions, int workers);
    ConversionPipeline(const ConversionPipeline&) = delete;
    ConversionPipeline& operator=(const ConversionPipeline&) = delete;
    ~ConversionPipeline();

    // File i as the one-thread run would read it now: an early result only when
    // the file it came from is still the one the name gives, after every earlier
    // target of the run that could replace it is in place. One for each target.
    std::vector<PreparedThumbnail> Take(std::size_t i);
    void Skip(std::size_t i);
    const Conversion& conversion(std::size_t v = 0) const { return conversions_[v]; }
    // Where a written target is handed over; nullptr when it is written at once.
    FilePublisher* publisher() { return publisher_ ? &*publisher_ : nullptr; }
    // Called at file i's turn before anything is decided about it: when a target
    // handed in earlier may land where file i's target lies, waits until it is in
    // place, so file i's checks see what the one-thread run would see. Then shows
    // and records the targets that could not be put in place since the last call
    // (a sync or rename that failed after its file's turn) and takes them out of
    // `written`. Returns how many of them had counted as made.
    std::size_t Settle(std::size_t i, WrittenTargets& written);
    // Refreshes what the workers know of the live options; called at every file.
    void NoteOverwriteMode(OverwriteMode mode) { overwrite_mode_ = mode; }
    // Stops the workers, waits for every handed-in target and reports failures,
    // handing the host its turn while it waits, and returns how many of them
    // had counted as made.
    std::size_t Finish(WrittenTargets& written);

private:
    std::size_t ReportLateFailures(WrittenTargets& written);
    bool WorthEarly(std::size_t i) const;
    bool MayBeReplacedByWaitingTarget(std::size_t i) const;

    // The run's thread only: the host is never called from another thread.
    RunHost& host_;
    // Set once before the workers start; the workers read them (WorthEarly, the
    // sources), nobody writes them.
    const RunFiles& files_;
    // Where each source lies when the run starts; nothing for one whose folder is gone.
    const std::vector<std::optional<LandingPlace>> source_places_;
    const std::vector<Conversion> conversions_;
    const DecodeOptions options_;  // asks the host: used on the run's thread only
    // Sources that an earlier file's target of the same run replaces; they are
    // read only at their turn.
    const std::vector<bool> written_before_read_;
    // Written by the run's thread at every file, read by the workers.
    std::atomic<OverwriteMode> overwrite_mode_;
    std::optional<FilePublisher> publisher_;  // synchronised by itself
    MemoryBudget budget_;                     // synchronised by itself
    // The memory of the file the run is writing. The run's thread owns it; while
    // that thread waits in PrepareAside, the helper thread fills it, and the
    // helper's start and join order the two.
    MemoryBudget::Lease in_hand_;
    ThumbnailPrefetcher prefetcher_;  // last: its workers use everything above
};

}  // namespace nuthumb
