#include "engine/thumbnail_prefetcher.h"

#include <chrono>
#include <utility>

namespace nuthumb {

ThumbnailPrefetcher::ThumbnailPrefetcher(std::vector<std::string> sources, ConversionJob job, int threads,
                                         std::size_t lookahead, std::function<bool(std::size_t)> worth_early)
    : sources_(std::move(sources)),
      job_(std::move(job)),
      lookahead_(lookahead),
      worth_early_(std::move(worth_early)),
      worker_options_{[this] { return stop_.load(std::memory_order_relaxed); }} {
    for (int t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
}

ThumbnailPrefetcher::~ThumbnailPrefetcher() { Stop(); }

void ThumbnailPrefetcher::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_ = true;
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

void ThumbnailPrefetcher::Work() {
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] {
                return stopping_ || (next_claim_ < sources_.size() && next_claim_ < run_at_ + lookahead_);
            });
            if (stopping_) return;
            i = next_claim_++;
            slots_[i];  // kWorking
        }
        const bool early = !worth_early_ || worth_early_(i);
        PreparedThumbnail prepared;
        if (early) prepared = PrepareThumbnail(sources_[i], job_, worker_options_);
        {
            std::lock_guard lock(mutex_);
            // The run may have skipped the file meanwhile; then nobody wants it.
            const auto slot = slots_.find(i);
            if (slot != slots_.end()) {
                slot->second.state = early ? SlotState::kReady : SlotState::kLeftForTheRun;
                slot->second.prepared = std::move(prepared);
            }
        }
        changed_.notify_all();
    }
}

void ThumbnailPrefetcher::MovePast(std::size_t i) {
    slots_.erase(i);
    if (next_claim_ <= i) next_claim_ = i + 1;
    run_at_ = i + 1;
}

PreparedThumbnail ThumbnailPrefetcher::Take(std::size_t i, const DecodeOptions& options) {
    std::unique_lock lock(mutex_);
    auto slot = slots_.find(i);
    if (slot != slots_.end()) {
        // A long decode must not outlast a stop request (Ctrl-C) because a worker,
        // not this thread, runs it.
        while (slot->second.state == SlotState::kWorking) {
            if (changed_.wait_for(lock, std::chrono::milliseconds(20)) == std::cv_status::timeout &&
                options.StopRequested())
                stop_ = true;
        }
        if (slot->second.state == SlotState::kReady) {
            PreparedThumbnail prepared = std::move(slot->second.prepared);
            MovePast(i);
            lock.unlock();
            changed_.notify_all();
            return prepared;
        }
    }
    MovePast(i);
    lock.unlock();
    changed_.notify_all();
    return PrepareThumbnail(sources_[i], job_, options);
}

void ThumbnailPrefetcher::Skip(std::size_t i) {
    {
        std::lock_guard lock(mutex_);
        MovePast(i);
    }
    changed_.notify_all();
}

}  // namespace nuthumb
