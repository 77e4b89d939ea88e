#pragma once
// How the run's thread waits for another thread: in short slices, handing its
// host a turn between them (RunHost::WhileWaitingForWorkers), so a window doing
// so never looks frozen, whether a worker decodes a huge photo or the publisher
// waits for a slow disk.
#include <functional>
#include <utility>

#include "platform/mutex.h"

namespace nuthumb {

inline constexpr int kWaitSliceMilliseconds = 10;

// The wait itself, with its condition written in the caller, where the
// thread-safety analysis sees the lock that it is read under:
//
//     MutexLock lock(mutex_);
//     SlicedWait wait(changed_, between);
//     while (!done) wait.Step(mutex_);
//
// Steps alternate: a wait on `changed` of at most one slice, then `between`
// (when given) with the mutex released, so it may take other locks, handle
// events or poll a stop request; the condition is checked before each.
class SlicedWait {
public:
    explicit SlicedWait(CondVar& changed, std::function<void()> between = {})
        : changed_(changed), between_(std::move(between)) {}

    // `mutex` is the one `changed` is waited on with; it is held again when this
    // returns, also when `between` throws.
    void Step(Mutex& mutex) REQUIRES(mutex);

private:
    CondVar& changed_;
    const std::function<void()> between_;
    bool sliced_ = false;  // the last step waited: the next one is the host's turn
};

}  // namespace nuthumb
