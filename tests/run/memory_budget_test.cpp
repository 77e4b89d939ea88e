// Decodes that share one memory budget: who may start, who waits, and that
// nothing waits forever.
#include "run/memory_budget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace nuthumb {
namespace {

using namespace std::chrono_literals;
constexpr auto kStillWaiting = 60ms;

const DecodeOptions kNoStop;
const auto kNotUrgent = [] { return false; };

// Starts an Acquire on its own thread; ready once it was admitted.
struct Pending {
    MemoryBudget::Lease lease;
    std::future<void> done;
    Pending(MemoryBudget& budget, std::uint64_t bytes, std::function<bool()> urgent,
            const DecodeOptions& options = kNoStop)
        : done(std::async(std::launch::async, [&budget, this, bytes, urgent, &options] {
              budget.Acquire(lease, bytes, urgent, options);
          })) {}
    bool admitted() { return done.wait_for(kStillWaiting) == std::future_status::ready; }
};

// A decode larger than the budget runs only alone and only as the file the run
// waits for: started early, its result would be held beside that file's decode.
TEST(MemoryBudget, DecodesStartWhileTheyFitAndOneAlwaysRuns) {
    MemoryBudget budget(100);
    std::atomic<bool> run_waits_for_it{false};
    Pending huge(budget, 500, [&] { return run_waits_for_it.load(); });
    EXPECT_FALSE(huge.admitted()) << "an empty budget admits an oversized decode only for the run's file";
    run_waits_for_it = true;
    budget.Nudge();
    EXPECT_TRUE(huge.admitted());
    Pending small(budget, 1, kNotUrgent);
    EXPECT_FALSE(small.admitted()) << "nothing fits beside an oversized decode";
    huge.lease.Release();
    EXPECT_TRUE(small.admitted());

    MemoryBudget::Lease second;
    budget.Acquire(second, 99, kNotUrgent, kNoStop);  // 1 + 99 fits exactly
    EXPECT_EQ(budget.held(), 100u);
    // A finished decode keeps only its result's bytes.
    second.KeepForResult(9);
    EXPECT_EQ(budget.held(), 10u);
}

// A waiting result is only given back when the run takes it: the file the run
// waits for must start anyway once no other decode runs, and goes before every
// other file; a stop request ends a wait.
TEST(MemoryBudget, TheRunsOwnFileGoesFirstAndNothingWaitsForever) {
    MemoryBudget budget(100);
    MemoryBudget::Lease result, decoding;
    budget.Acquire(result, 80, kNotUrgent, kNoStop);
    result.KeepForResult(80);
    budget.Acquire(decoding, 10, kNotUrgent, kNoStop);

    std::atomic<bool> run_waits_for_it{false};
    Pending next(budget, 50, [&] { return run_waits_for_it.load(); });
    EXPECT_FALSE(next.admitted());
    run_waits_for_it = true;
    budget.Nudge();
    EXPECT_FALSE(next.admitted()) << "another decode still runs";
    Pending later(budget, 5, kNotUrgent);  // would fit, but the run's file waits
    decoding.Release();
    EXPECT_TRUE(next.admitted());
    EXPECT_FALSE(later.admitted());
    next.lease.Release();
    EXPECT_TRUE(later.admitted());

    std::atomic<bool> stop{false};
    const DecodeOptions stoppable([&stop] { return stop.load(); });
    Pending cancelled(budget, 90, kNotUrgent, stoppable);
    EXPECT_FALSE(cancelled.admitted());
    stop = true;
    EXPECT_THROW(cancelled.done.get(), DecodeCancelled);
}

}  // namespace
}  // namespace nuthumb
