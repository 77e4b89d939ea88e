#include "run/memory_budget.h"

#include <algorithm>
#include <utility>

#include "platform/physical_memory.h"
#include "run/wait_slice.h"

namespace nuthumb {

MemoryBudget::MemoryBudget(std::uint64_t limit) : limit_(limit) { KeepFreedMemoryForReuse(); }

MemoryBudget::Lease::Lease(Lease&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)),
      bytes_(std::exchange(other.bytes_, 0)),
      decoding_(std::exchange(other.decoding_, false)) {}

MemoryBudget::Lease& MemoryBudget::Lease::operator=(Lease&& other) noexcept {
    if (this != &other) {
        Release();
        budget_ = std::exchange(other.budget_, nullptr);
        bytes_ = std::exchange(other.bytes_, 0);
        decoding_ = std::exchange(other.decoding_, false);
    }
    return *this;
}

void MemoryBudget::Lease::KeepForResult(std::uint64_t bytes) {
    if (budget_) budget_->Shrink(*this, bytes, /*end_lease=*/false);
}

void MemoryBudget::Lease::TakeBackIntoUse() {
    if (budget_) budget_->Activate(*this);
}

void MemoryBudget::Lease::Release() {
    if (budget_) budget_->Shrink(*this, 0, /*end_lease=*/true);
}

bool MemoryBudget::Admits(std::uint64_t bytes, bool urgent) const {
    // The file the run waits for goes first, also when the budget is empty: a
    // later file started then would keep its result beside that file's decode.
    if (urgent_waiting_ > 0 && !urgent) return false;
    // Only that file may go past the budget: a later one admitted by an empty
    // budget before the run's file asks would hold its whole result beside it.
    if (decoding_ == 0 && urgent) return true;
    return bytes <= limit_ && held_ <= limit_ - bytes;
}

void MemoryBudget::Give(Lease& lease, std::uint64_t bytes) {
    lease.budget_ = this;
    lease.bytes_ = bytes;
    lease.decoding_ = true;
    held_ += bytes;
    ++decoding_;
}

void MemoryBudget::Shrink(Lease& lease, std::uint64_t bytes, bool end_lease) {
    std::uint64_t given_back = 0;
    {
        MutexLock lock(mutex_);
        given_back = lease.bytes_ - std::min(bytes, lease.bytes_);
        held_ -= given_back;
        lease.bytes_ = std::min(bytes, lease.bytes_);
        if (std::exchange(lease.decoding_, false)) --decoding_;
        if (end_lease) lease.budget_ = nullptr;
    }
    // Small releases are not worth the system calls, and what a small decode
    // freed serves the next one.
    constexpr std::uint64_t kWorthReturning = std::uint64_t{64} << 20;
    if (given_back >= kWorthReturning) trim_due_ = true;
    if (given_back >= kReusedAllocationLimit) trim_at_end_ = true;
    changed_.NotifyAll();
}

void MemoryBudget::Activate(Lease& lease) {
    MutexLock lock(mutex_);
    if (!std::exchange(lease.decoding_, true)) ++decoding_;
}

void MemoryBudget::CountUrgent(bool& counted, bool urgent) {
    if (urgent != counted) urgent_waiting_ += urgent ? 1 : -1;
    counted = urgent;
}

void MemoryBudget::Acquire(Lease& lease, std::uint64_t bytes, const std::function<bool()>& urgent,
                           const DecodeOptions& options) {
    lease.Release();
    // Asked outside the lock: neither callback may wait for it, or take a lock
    // that someone holding it waits for.
    bool is_urgent = urgent && urgent();
    bool stop = false;
    bool counted_urgent = false;
    {
        MutexLock lock(mutex_);
        SlicedWait wait(changed_, [&] {
            stop = options.StopRequested();
            is_urgent = urgent && urgent();
        });
        while (!stop && !Admits(bytes, is_urgent)) {
            CountUrgent(counted_urgent, is_urgent);
            wait.Step(mutex_);
        }
        CountUrgent(counted_urgent, false);
        if (!stop) Give(lease, bytes);
    }
    if (stop) {
        changed_.NotifyAll();  // an urgent decode that stopped waiting no longer holds the others back
        throw DecodeCancelled();
    }
    // What a huge decode freed must really be free before the next one starts.
    ReturnFreedMemoryIfDue();
    MakeRoomInHeap(bytes);
}

void MemoryBudget::ReturnFreedMemoryIfDue() {
    if (trim_due_.exchange(false)) ReturnFreedMemory();
}

void MemoryBudget::ReturnFreedMemoryAtEnd() {
    // Both flags are cleared, whichever was set.
    if (trim_due_.exchange(false) | trim_at_end_.exchange(false)) ReturnFreedMemory();
}

std::uint64_t MemoryBudget::held() const {
    MutexLock lock(mutex_);
    return held_;
}

std::uint64_t DefaultMemoryBudget() {
    constexpr std::uint64_t kMiB = 1 << 20;
    return std::clamp<std::uint64_t>(PhysicalMemory() / 4, 64 * kMiB, 1024 * kMiB);
}

}  // namespace nuthumb
