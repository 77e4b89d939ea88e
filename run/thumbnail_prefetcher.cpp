#include "run/thumbnail_prefetcher.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "run/wait_slice.h"

namespace nuthumb {

ThumbnailPrefetcher::ThumbnailPrefetcher(const std::vector<std::string>& sources,
                                         std::function<std::uint64_t(std::size_t)> size_of,
                                         std::vector<Conversion> conversions,
                                         int threads, std::size_t lookahead,
                                         std::function<bool(std::size_t)> worth_early, MemoryBudget& budget)
    : sources_(sources),
      size_of_(std::move(size_of)),
      conversions_(std::move(conversions)),
      lookahead_(lookahead),
      worth_early_(std::move(worth_early)),
      budget_(budget),
      claimed_(sources_.size(), false),
      window_sizes_(lookahead) {
    if (threads <= 0) return;
    {
        const std::vector<std::uint64_t> first = SizesEntering(0);
        MutexLock lock(mutex_);  // no worker runs yet; the lock is for the analysis
        std::copy(first.begin(), first.end(), window_sizes_.begin());
    }
    try {
        for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Out of threads (a limit on processes): the ones that started do the work.
    }
}

ThumbnailPrefetcher::~ThumbnailPrefetcher() { Stop(); }

void ThumbnailPrefetcher::Stop(const std::function<void()>& while_waiting) {
    {
        MutexLock lock(mutex_);
        workers_quit_ = true;
        cancel_decodes_ = true;
        claimable_.NotifyAll();
        // A worker may be in a decode that does not look at the cancel: the run's
        // thread waits for it like for anything else, never in a bare join.
        SlicedWait wait(finished_, while_waiting);
        while (workers_ended_ < workers_.size()) wait.Step(mutex_);
    }
    for (std::thread& worker : workers_) worker.join();  // each has left Work
    workers_.clear();
}

std::vector<std::uint64_t> ThumbnailPrefetcher::SizesEntering(std::size_t run_at) {
    std::vector<std::uint64_t> sizes;
    // Without workers (none started, or stopped) nobody looks at sizes; the first
    // window's are asked for before the workers start.
    if (workers_.empty() && run_at > 0) return sizes;
    const std::size_t end = std::min(sources_.size(), run_at + lookahead_);
    for (std::size_t i = std::max(sized_end_, run_at); i < end; ++i) sizes.push_back(size_of_(i));
    sized_end_ = std::max(sized_end_, end);
    return sizes;
}

std::optional<std::size_t> ThumbnailPrefetcher::NextClaim() const {
    std::optional<std::size_t> best;
    const std::size_t run_at = run_at_;
    const std::size_t end = std::min(sources_.size(), run_at + lookahead_);
    const auto size = [this](std::size_t i) REQUIRES(mutex_) { return window_sizes_[i % lookahead_]; };
    for (std::size_t i = run_at; i < end; ++i)
        if (!claimed_[i] && (!best || size(i) > size(*best))) best = i;
    return best;
}

void ThumbnailPrefetcher::Work() {
    for (;;) {
        std::size_t i = 0;
        {
            MutexLock lock(mutex_);
            std::optional<std::size_t> claim;
            while (!workers_quit_ && !(claim = NextClaim())) claimable_.Wait(mutex_);
            if (workers_quit_) {
                ++workers_ended_;
                finished_.NotifyOne();  // Stop waits for this
                return;
            }
            i = *claim;
            claimed_[i] = true;
            slots_[i];  // kWorking
        }
        const bool early = !worth_early_ || worth_early_(i);
        std::vector<PreparedThumbnail> prepared;
        MemoryBudget::Lease memory;
        if (early) {
            DecodeOptions options{[this] { return cancel_decodes_.load(std::memory_order_relaxed); }};
            options.reserve_memory = [this, i, &memory](std::uint64_t bytes, const DecodeOptions& self) {
                budget_.Acquire(memory, bytes, [this, i] { return run_at_.load() == i; }, self);
            };
            prepared = PrepareThumbnails(sources_[i], conversions_, options);
            std::size_t bytes = 0;
            for (const PreparedThumbnail& target : prepared) bytes += target.target_bytes.size();
            memory.KeepForResult(bytes);
        }
        {
            MutexLock lock(mutex_);
            // The run may have skipped the file meanwhile; then nobody wants it.
            const auto slot = slots_.find(i);
            if (slot != slots_.end()) {
                slot->second.state = early ? SlotState::kReady : SlotState::kLeftForTheRun;
                slot->second.prepared = std::move(prepared);
                slot->second.memory = std::move(memory);
            }
        }
        finished_.NotifyOne();  // only the run waits, for a result or in Stop
    }
}

void ThumbnailPrefetcher::MovePast(std::size_t i, const std::vector<std::uint64_t>& entering) {
    slots_.erase(i);
    claimed_[i] = true;
    // The sizes come in where the files that left the window were.
    std::size_t file = sized_end_ - entering.size();
    for (const std::uint64_t size : entering) window_sizes_[file++ % lookahead_] = size;
    run_at_ = i + 1;
    // A decode waiting for memory may now be the one the run waits for.
    budget_.Nudge();
}

std::optional<std::vector<PreparedThumbnail>> ThumbnailPrefetcher::TakeEarly(std::size_t i, const DecodeOptions& options,
                                                                MemoryBudget::Lease& memory,
                                                                const std::function<void()>& while_waiting) {
    const std::vector<std::uint64_t> entering = SizesEntering(i + 1);
    std::optional<std::vector<PreparedThumbnail>> prepared;
    {
        MutexLock lock(mutex_);
        // Only this thread removes slots, yet each look is made afresh under the
        // lock: nothing found before an unlock is used after it.
        const auto slot_state = [&]() REQUIRES(mutex_) -> std::optional<SlotState> {
            const auto slot = slots_.find(i);
            if (slot == slots_.end()) return std::nullopt;
            return slot->second.state;
        };
        // A long decode must not outlast a stop request (Ctrl-C) because a
        // worker, not this thread, runs it; nor keep a waiting window from its
        // events.
        SlicedWait wait(finished_, [&] {
            if (options.StopRequested()) cancel_decodes_ = true;
            if (while_waiting) while_waiting();
        });
        while (slot_state() == SlotState::kWorking) wait.Step(mutex_);
        if (slot_state() == SlotState::kReady) {
            Slot& slot = slots_.at(i);
            prepared = std::move(slot.prepared);
            memory = std::move(slot.memory);
            memory.TakeBackIntoUse();
        }
        MovePast(i, entering);
    }
    claimable_.NotifyOne();  // the window moved by one file
    return prepared;
}

void ThumbnailPrefetcher::Skip(std::size_t i) {
    const std::vector<std::uint64_t> entering = SizesEntering(i + 1);
    {
        MutexLock lock(mutex_);
        MovePast(i, entering);
    }
    claimable_.NotifyOne();
}

}  // namespace nuthumb
