#pragma once
// Prepares the files of a folder run ahead of the run, on threads of its own. The
// run still takes the files one by one, in list order, and decides about each at
// its turn; only the work that needs no decision (reading, decoding, scaling,
// encoding) is done early.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "image/prepare_thumbnail.h"
#include "run/memory_budget.h"

namespace nuthumb {

class ThumbnailPrefetcher {
public:
    // Prepares `sources` on `threads` threads, never more than `lookahead` files
    // beyond the one the run is at, so at most that many results wait in memory.
    // Within that window the largest file (by `sizes`) is taken up first, so that
    // one big photo does not end up alone on one core at the end. A worker first
    // asks `worth_early(i)` (from its own thread); a file it says no to is left
    // for the run to prepare at its turn. Every decode takes its memory from
    // `budget`, the one the run waits for first. A thread that cannot be started
    // (a limit on processes) is done without; with none, the run prepares every
    // file itself.
    ThumbnailPrefetcher(std::vector<std::string> sources, std::vector<std::uint64_t> sizes, Conversion conversion,
                        int threads, std::size_t lookahead, std::function<bool(std::size_t)> worth_early,
                        MemoryBudget& budget);
    ThumbnailPrefetcher(const ThumbnailPrefetcher&) = delete;
    ThumbnailPrefetcher& operator=(const ThumbnailPrefetcher&) = delete;
    ~ThumbnailPrefetcher();

    // File i as a worker prepared it, or nothing when no worker did (the run then
    // prepares it itself), its memory then going to `memory`, in use until the
    // caller releases it. Files are taken (or skipped) in increasing order. While
    // it waits for a worker, it asks `options` whether to stop, and stops the
    // workers when told so, and calls `while_waiting` (without the lock) between
    // short waits.
    std::optional<PreparedThumbnail> TakeEarly(std::size_t i, const DecodeOptions& options,
                                               MemoryBudget::Lease& memory,
                                               const std::function<void()>& while_waiting = {});
    // File i is not needed: an early result is dropped.
    void Skip(std::size_t i);
    // Ends every decode in progress (as cancelled) and the threads; TakeEarly then
    // gives nothing more.
    void Stop();
    // How many threads started.
    std::size_t threads() const { return workers_.size(); }

private:
    enum class SlotState { kWorking, kReady, kLeftForTheRun };
    struct Slot {
        SlotState state = SlotState::kWorking;
        PreparedThumbnail prepared;
        MemoryBudget::Lease memory;  // what the result holds until the run takes it
    };

    void Work();
    // The largest file in the window that nobody has taken up, if any; the lock
    // is held.
    std::optional<std::size_t> NextClaim() const;
    // Moves the run past file i; the lock is held.
    void MovePast(std::size_t i);

    const std::vector<std::string> sources_;
    const std::vector<std::uint64_t> sizes_;
    const Conversion conversion_;
    const std::size_t lookahead_;
    const std::function<bool(std::size_t)> worth_early_;
    MemoryBudget& budget_;
    std::atomic<bool> stop_{false};

    std::mutex mutex_;
    std::condition_variable claimable_;  // workers wait here for the window to move
    std::condition_variable finished_;   // the run waits here for its file
    std::vector<bool> claimed_;  // taken up by a worker or by the run
    // The first file the run has not yet taken or skipped; written under the lock,
    // read without it by a decode waiting for memory.
    std::atomic<std::size_t> run_at_ = 0;
    std::map<std::size_t, Slot> slots_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;  // last: started once everything above exists
};

}  // namespace nuthumb
