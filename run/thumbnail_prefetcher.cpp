#include "run/thumbnail_prefetcher.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "run/wait_slice.h"

namespace nuthumb {

ThumbnailPrefetcher::ThumbnailPrefetcher(std::vector<std::string> sources, std::vector<std::uint64_t> sizes,
                                         Conversion conversion, int threads, std::size_t lookahead,
                                         std::function<bool(std::size_t)> worth_early, MemoryBudget& budget)
    : sources_(std::move(sources)),
      sizes_(std::move(sizes)),
      conversion_(conversion),
      lookahead_(lookahead),
      worth_early_(std::move(worth_early)),
      budget_(budget),
      claimed_(sources_.size(), false) {
    try {
        for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Out of threads (a limit on processes): the ones that started do the work.
    }
}

ThumbnailPrefetcher::~ThumbnailPrefetcher() { Stop(); }

void ThumbnailPrefetcher::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_ = true;
    claimable_.notify_all();
    finished_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

std::optional<std::size_t> ThumbnailPrefetcher::NextClaim() const {
    std::optional<std::size_t> best;
    const std::size_t run_at = run_at_;
    const std::size_t end = std::min(sources_.size(), run_at + lookahead_);
    for (std::size_t i = run_at; i < end; ++i)
        if (!claimed_[i] && (!best || sizes_[i] > sizes_[*best])) best = i;
    return best;
}

void ThumbnailPrefetcher::Work() {
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock lock(mutex_);
            std::optional<std::size_t> claim;
            claimable_.wait(lock, [&] { return stopping_ || (claim = NextClaim()); });
            if (stopping_) return;
            i = *claim;
            claimed_[i] = true;
            slots_[i];  // kWorking
        }
        const bool early = !worth_early_ || worth_early_(i);
        PreparedThumbnail prepared;
        MemoryBudget::Lease memory;
        if (early) {
            DecodeOptions options{[this] { return stop_.load(std::memory_order_relaxed); }};
            options.reserve_memory = [this, i, &memory](std::uint64_t bytes, const DecodeOptions& self) {
                budget_.Acquire(memory, bytes, [this, i] { return run_at_.load() == i; }, self);
            };
            prepared = PrepareThumbnail(sources_[i], conversion_, options);
            memory.KeepForResult(prepared.target_bytes.size());
        }
        {
            std::lock_guard lock(mutex_);
            // The run may have skipped the file meanwhile; then nobody wants it.
            const auto slot = slots_.find(i);
            if (slot != slots_.end()) {
                slot->second.state = early ? SlotState::kReady : SlotState::kLeftForTheRun;
                slot->second.prepared = std::move(prepared);
                slot->second.memory = std::move(memory);
            }
        }
        finished_.notify_one();  // only the run waits for a result
    }
}

void ThumbnailPrefetcher::MovePast(std::size_t i) {
    slots_.erase(i);
    claimed_[i] = true;
    run_at_ = i + 1;
    // A decode waiting for memory may now be the one the run waits for.
    budget_.Nudge();
}

std::optional<PreparedThumbnail> ThumbnailPrefetcher::TakeEarly(std::size_t i, const DecodeOptions& options,
                                                                MemoryBudget::Lease& memory,
                                                                const std::function<void()>& while_waiting) {
    std::unique_lock lock(mutex_);
    auto slot = slots_.find(i);
    if (slot != slots_.end()) {
        // A long decode must not outlast a stop request (Ctrl-C) because a worker,
        // not this thread, runs it; nor keep a waiting window from its events.
        // Only this thread removes slots, so `slot` stays valid while unlocked.
        while (slot->second.state == SlotState::kWorking) {
            if (finished_.wait_for(lock, std::chrono::milliseconds(kWaitSliceMilliseconds)) ==
                std::cv_status::no_timeout)
                continue;
            lock.unlock();
            if (options.StopRequested()) stop_ = true;
            if (while_waiting) while_waiting();
            lock.lock();
        }
        if (slot->second.state == SlotState::kReady) {
            PreparedThumbnail prepared = std::move(slot->second.prepared);
            memory = std::move(slot->second.memory);
            memory.TakeBackIntoUse();
            MovePast(i);
            lock.unlock();
            claimable_.notify_one();  // the window moved by one file
            return prepared;
        }
    }
    MovePast(i);
    lock.unlock();
    claimable_.notify_one();
    return std::nullopt;
}

void ThumbnailPrefetcher::Skip(std::size_t i) {
    {
        std::lock_guard lock(mutex_);
        MovePast(i);
    }
    claimable_.notify_one();
}

}  // namespace nuthumb
