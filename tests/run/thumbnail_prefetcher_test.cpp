// The prefetcher's own promises to the run's thread: what it asks of it, and
// that it never keeps it waiting without handing the host its turn.
#include "run/thumbnail_prefetcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace nuthumb {
namespace {

using namespace std::chrono_literals;

const DecodeOptions kNoStop;

std::vector<std::string> Sources(std::size_t count) {
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < count; ++i) sources.push_back("/nonexistent/" + std::to_string(i) + ".jpg");
    return sources;
}

// A long listing costs no stat up front: a size is asked for on the run's
// thread only when its file enters the look-ahead window, once.
TEST(ThumbnailPrefetcher, AsksForSizesOnlyAsFilesEnterTheWindow) {
    const std::vector<std::string> sources = Sources(1000);
    const std::thread::id run_thread = std::this_thread::get_id();
    std::vector<std::size_t> asked;
    bool off_thread = false;
    MemoryBudget budget(1 << 20);
    ThumbnailPrefetcher prefetcher(
        sources,
        [&](std::size_t i) {
            off_thread |= std::this_thread::get_id() != run_thread;
            asked.push_back(i);
            return std::uint64_t{i % 7};
        },
        std::vector<Conversion>{Conversion{}}, 2, 3, [](std::size_t) { return false; }, budget);
    EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1, 2}));
    MemoryBudget::Lease memory;
    for (std::size_t i = 0; i < 10; ++i) {
        if (i % 2) prefetcher.Skip(i);
        else EXPECT_FALSE(prefetcher.TakeEarly(i, kNoStop, memory)) << "left for the run";
    }
    prefetcher.Stop();
    std::vector<std::size_t> expected(13);
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    EXPECT_EQ(asked, expected);
    EXPECT_FALSE(off_thread);
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
        sources, [](std::size_t) { return std::uint64_t{0}; }, std::vector<Conversion>{Conversion{}}, 1, 1,
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
