#include "run/wait_slice.h"

#include <gtest/gtest.h>

namespace nuthumb {
namespace {

struct Shared {
    Mutex mutex;
    CondVar changed;
    int turns GUARDED_BY(mutex) = 0;
};

// The host's turn comes between slices with the lock released (it may take the
// lock itself, as a worker would), and the wait ends as soon as the condition
// holds.
TEST(WaitInSlices, HandsTurnsOutWithoutTheLock) {
    Shared shared;
    int calls = 0;
    {
        MutexLock lock(shared.mutex);
        WaitInSlices(
            shared.mutex, shared.changed, [&]() REQUIRES(shared.mutex) { return shared.turns == 3; },
            [&] {
                ++calls;
                MutexLock inner(shared.mutex);
                ++shared.turns;
            });
        EXPECT_EQ(shared.turns, 3);
    }
    EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace nuthumb
