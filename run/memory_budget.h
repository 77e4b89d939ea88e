#pragma once
// One budget of memory for every decode of a folder run. Workers that each decode
// a huge image at once can hold several times what one decode needs; a decode
// therefore starts only while what all of them hold stays within the budget. One
// decode always runs, however large, so every file within the pixel limit still
// converts, and the file the run waits for goes first.
#include <atomic>
#include <cstdint>
#include <functional>

#include "pixels/decode_options.h"
#include "platform/mutex.h"

namespace nuthumb {

class MemoryBudget {
public:
    // A share of the budget, given back when the lease ends.
    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease() { Release(); }

        // The decode is over; what stays held is its result of `bytes`.
        void KeepForResult(std::uint64_t bytes);
        // The result is being written: it counts as a decode running again, so
        // the next huge decode waits until the write is done.
        void TakeBackIntoUse();
        void Release();

    private:
        friend class MemoryBudget;
        MemoryBudget* budget_ = nullptr;
        std::uint64_t bytes_ = 0;
        bool decoding_ = false;
    };

    // Also makes the C library keep what a decode freed for the next one instead
    // of taking it anew from the system for every file (KeepFreedMemoryForReuse),
    // and makes room for each decode of a few MiB before it starts (MakeRoomInHeap).
    explicit MemoryBudget(std::uint64_t limit);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // Waits until a decode of `bytes` may start and gives it to `lease`: when it
    // fits beside everything held, or no other decode runs and the run waits for
    // this very file (`urgent()`, asked again at every wake). While an urgent
    // decode waits, no other starts. Throws DecodeCancelled when `options` asks to
    // stop meanwhile. `urgent` and the stop check are called without the budget's
    // lock; the caller holds no lock either, since freed memory may be given back
    // to the system here.
    void Acquire(Lease& lease, std::uint64_t bytes, const std::function<bool()>& urgent,
                 const DecodeOptions& options) EXCLUDES(mutex_);
    // Gives what the leases freed back to the system when that is worth it (a
    // large decode ended); the caller holds no lock. Acquire does it before every
    // decode.
    void ReturnFreedMemoryIfDue();
    // The run is over: gives back also what decodes too small for that, yet large
    // enough to leave much in the heaps, kept for the files that followed.
    void ReturnFreedMemoryAtEnd();
    // What `urgent()` answers may have changed.
    void Nudge() { changed_.NotifyAll(); }

    std::uint64_t held() const EXCLUDES(mutex_);

private:
    bool Admits(std::uint64_t bytes, bool urgent) const REQUIRES(mutex_);
    void Give(Lease& lease, std::uint64_t bytes) REQUIRES(mutex_);
    void CountUrgent(bool& counted, bool urgent) REQUIRES(mutex_);
    // Leaves `lease` holding at most `bytes`, no longer decoding; `end_lease`
    // also detaches it, under the lock like every change of a counted lease.
    void Shrink(Lease& lease, std::uint64_t bytes, bool end_lease) EXCLUDES(mutex_);
    void Activate(Lease& lease) EXCLUDES(mutex_);

    const std::uint64_t limit_;
    // Leases are taken and given back from every worker and the run's thread.
    // A lease itself belongs to one thread at a time; its fields are written
    // under this lock only while it is counted here.
    mutable Mutex mutex_;
    CondVar changed_;
    std::uint64_t held_ GUARDED_BY(mutex_) = 0;
    int decoding_ GUARDED_BY(mutex_) = 0;
    int urgent_waiting_ GUARDED_BY(mutex_) = 0;
    // A release freed enough to be worth giving back to the system. A release
    // may happen under a caller's lock (the prefetcher's), and giving memory
    // back is a slow call, so the next Acquire does it, before its decode starts.
    std::atomic<bool> trim_due_{false};
    // A lease large enough to leave much of itself in the heaps ended.
    std::atomic<bool> trim_at_end_{false};
};

// The budget when the user sets none: a quarter of the machine's memory, at most
// 1 GiB, at least 64 MiB.
std::uint64_t DefaultMemoryBudget();

}  // namespace nuthumb
