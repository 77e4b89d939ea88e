#pragma once
// Prepares the files of a folder run ahead of the run, on threads of its own. The
// run still takes the files one by one, in list order, and decides about each at
// its turn; only the work that needs no decision (reading, decoding, scaling,
// encoding) is done early.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "image/prepare_thumbnails.h"
#include "platform/mutex.h"
#include "run/memory_budget.h"

namespace nuthumb {

class ThumbnailPrefetcher {
public:
    // Prepares `sources` (the run's listing, used by reference: it outlives the
    // prefetcher) on `threads` threads, never more than `lookahead` files beyond
    // the one the run is at, so at most that many results wait in memory. Within
    // that window the largest file is taken up first, so that one big photo does
    // not end up alone on one core at the end; `size_of(i)` is asked on the run's
    // thread as file i enters the window, so a long listing costs no look at
    // every file before the first thumbnail. A worker first asks
    // `worth_early(i)` (from its own thread); a file it says no to is left for
    // the run to prepare at its turn. Every decode takes its memory from
    // `budget`, the one the run waits for first. A thread that cannot be started
    // (a limit on processes) is done without; with none, the run prepares every
    // file itself.
    ThumbnailPrefetcher(const std::vector<std::string>& sources, std::function<std::uint64_t(std::size_t)> size_of,
                        std::vector<Conversion> conversions, int threads, std::size_t lookahead,
                        std::function<bool(std::size_t)> worth_early, MemoryBudget& budget);
    ThumbnailPrefetcher(const ThumbnailPrefetcher&) = delete;
    ThumbnailPrefetcher& operator=(const ThumbnailPrefetcher&) = delete;
    ~ThumbnailPrefetcher();

    // File i as a worker prepared it, or nothing when no worker did (the run then
    // prepares it itself), its memory then going to `memory`, in use until the
    // caller releases it. Files are taken (or skipped) in increasing order. While
    // it waits for a worker, it asks `options` whether to stop, and stops the
    // workers when told so, and calls `while_waiting` (without the lock) between
    // short waits. `memory` must hold nothing: it is filled under the lock.
    std::optional<std::vector<PreparedThumbnail>> TakeEarly(std::size_t i, const DecodeOptions& options,
                                               MemoryBudget::Lease& memory,
                                               const std::function<void()>& while_waiting = {}) EXCLUDES(mutex_);
    // File i is not needed: an early result is dropped.
    void Skip(std::size_t i) EXCLUDES(mutex_);
    // Ends every decode in progress (as cancelled) and the threads; TakeEarly then
    // gives nothing more. A decode that cannot be interrupted (HEIF) may take a
    // while to end: the wait for it is in slices, with `while_waiting` called
    // (without the lock) between them, as in every wait of the run's thread.
    void Stop(const std::function<void()>& while_waiting = {}) EXCLUDES(mutex_);
    // How many threads started.
    std::size_t threads() const { return workers_.size(); }

private:
    enum class SlotState { kWorking, kReady, kLeftForTheRun };
    struct Slot {
        SlotState state = SlotState::kWorking;
        std::vector<PreparedThumbnail> prepared;  // one for each target of the file
        MemoryBudget::Lease memory;  // what the result holds until the run takes it
    };

    void Work() EXCLUDES(mutex_);
    // The largest file in the window that nobody has taken up, if any.
    std::optional<std::size_t> NextClaim() const REQUIRES(mutex_);
    // The sizes of the files that enter the window when the run moves to
    // `run_at`, asked on the run's thread without the lock.
    std::vector<std::uint64_t> SizesEntering(std::size_t run_at);
    // Moves the run past file i; `entering` (SizesEntering(i + 1)) come into the
    // window. A result dropped here gives its memory back to the budget, whose
    // lock is taken inside this one: the prefetcher's lock comes first, never the
    // other way round.
    void MovePast(std::size_t i, const std::vector<std::uint64_t>& entering) REQUIRES(mutex_);

    // Set once, read by every thread without a lock.
    const std::vector<std::string>& sources_;
    const std::function<std::uint64_t(std::size_t)> size_of_;  // called on the run's thread
    const std::vector<Conversion> conversions_;
    const std::size_t lookahead_;
    const std::function<bool(std::size_t)> worth_early_;  // called on the workers
    MemoryBudget& budget_;  // synchronised by itself
    // Set by Stop or by a stop request seen while the run waits; polled by the
    // decodes in progress, which then end as cancelled.
    std::atomic<bool> cancel_decodes_{false};

    Mutex mutex_;
    CondVar claimable_;  // workers wait here for the window to move
    CondVar finished_;   // the run waits here for its file, and in Stop for the workers
    std::vector<bool> claimed_ GUARDED_BY(mutex_);  // taken up by a worker or by the run
    // The sizes of the files in the window, file i at i % lookahead_.
    std::vector<std::uint64_t> window_sizes_ GUARDED_BY(mutex_);
    // The files before this one have had their sizes asked; the run's thread only.
    std::size_t sized_end_ = 0;
    // The first file the run has not yet taken or skipped; written under the lock,
    // read without it by a decode waiting for memory.
    std::atomic<std::size_t> run_at_ = 0;
    // A slot is made by the worker that claims the file and removed by the run's
    // thread only; its fields change under the lock.
    std::map<std::size_t, Slot> slots_ GUARDED_BY(mutex_);
    // The workers take up no more files and end.
    bool workers_quit_ GUARDED_BY(mutex_) = false;
    std::size_t workers_ended_ GUARDED_BY(mutex_) = 0;  // have left Work: Stop joins them
    // Started in the constructor and joined by Stop, both on the run's thread.
    std::vector<std::thread> workers_;  // last: started once everything above exists
};

}  // namespace nuthumb
