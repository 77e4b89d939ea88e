#pragma once
// One budget of memory for every decode of a folder run. Workers that each decode
// a huge image at once can hold several times what one decode needs; a decode
// therefore starts only while what all of them hold stays within the budget. One
// decode always runs, however large, so every file within the pixel limit still
// converts, and the file the run waits for goes first.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "image/decode_options.h"

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

    explicit MemoryBudget(std::uint64_t limit) : limit_(limit) {}
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // Waits until a decode of `bytes` may start and gives it to `lease`: when it
    // fits beside everything held, or no other decode runs and the run waits for
    // this very file (`urgent()`, asked again at every wake). While an urgent
    // decode waits, no other starts. Throws DecodeCancelled
    // when `options` asks to stop meanwhile.
    void Acquire(Lease& lease, std::uint64_t bytes, const std::function<bool()>& urgent,
                 const DecodeOptions& options);
    // What `urgent()` answers may have changed.
    void Nudge() { changed_.notify_all(); }

    std::uint64_t held() const;

private:
    bool Admits(std::uint64_t bytes, bool urgent) const;
    void Give(Lease& lease, std::uint64_t bytes);
    void Shrink(Lease& lease, std::uint64_t bytes);
    void Activate(Lease& lease);

    const std::uint64_t limit_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t held_ = 0;
    int decoding_ = 0;
    int urgent_waiting_ = 0;
};

// The budget when the user sets none: a quarter of the machine's memory, at most
// 1 GiB, at least 64 MiB.
std::uint64_t DefaultMemoryBudget();

}  // namespace nuthumb
