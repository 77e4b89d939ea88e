// The prefetcher's own promise to the run's thread: it never keeps it waiting
// without handing the host its turn.
#include "run/thumbnail_prefetcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace nuthumb {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> Sources(std::size_t count) {
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < count; ++i) sources.push_back("/nonexistent/" + std::to_string(i) + ".jpg");
    return sources;
}

// A worker busy with something that does not look at the cancel (a HEIF
// decode cannot be interrupted) keeps Stop waiting: the host gets its turns
// meanwhile, as in every other wait of the run's thread. Here only a turn
// lets the worker finish.
TEST(ThumbnailPrefetcher, StopHandsTheHostItsTurnWhileAWorkerIsBusy) {
    const std::vector<std::string> sources = Sources(1);
    std::atomic<bool> busy{false}, released{false};
    MemoryBudget budget(1 << 20);
    ThumbnailPrefetcher prefetcher(
        sources, {0}, Conversion{}, 1, 1,
        [&](std::size_t) {
            busy = true;
            const auto deadline = std::chrono::steady_clock::now() + 10s;  // a bare join ends here
            while (!released && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
            return false;
        },
        budget);
    while (!busy) std::this_thread::sleep_for(1ms);
    int turns = 0;
    prefetcher.Stop([&] {
        ++turns;
        released = true;
    });
    EXPECT_GT(turns, 0);
    EXPECT_EQ(prefetcher.threads(), 0u);
}

}  // namespace
}  // namespace nuthumb
