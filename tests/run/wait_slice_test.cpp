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
TEST(SlicedWait, HandsTurnsOutWithoutTheLock) {
    Shared shared;
    int calls = 0;
    {
        MutexLock lock(shared.mutex);
        SlicedWait wait(shared.changed, [&] {
            ++calls;
            MutexLock inner(shared.mutex);
            ++shared.turns;
        });
        while (shared.turns != 3) wait.Step(shared.mutex);
        EXPECT_EQ(shared.turns, 3);
    }
    EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace nuthumb
