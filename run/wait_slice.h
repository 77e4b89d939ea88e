#pragma once
// How the run's thread waits for another thread: in short slices, handing its
// host a turn between them (RunHost::WhileWaitingForWorkers), so a window doing
// so never looks frozen, whether a worker decodes a huge photo or the publisher
// waits for a slow disk.
#include <functional>

#include "platform/mutex.h"

namespace nuthumb {

inline constexpr int kWaitSliceMilliseconds = 10;

// Returns once `done()` holds; `done` runs with `mutex` held. Each wait on
// `changed` lasts at most one slice; after each that leaves `done()` false,
// `between` (when given) runs with `mutex` released, so it may take other locks,
// handle events or poll a stop request. `mutex` is held again when this returns,
// also when `between` throws.
void WaitInSlices(Mutex& mutex, CondVar& changed, const std::function<bool()>& done,
                  const std::function<void()>& between) REQUIRES(mutex);

}  // namespace nuthumb
