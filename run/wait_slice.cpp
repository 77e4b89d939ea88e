#include "run/wait_slice.h"

#include <chrono>

namespace nuthumb {

void WaitInSlices(Mutex& mutex, CondVar& changed, const std::function<bool()>& done,
                  const std::function<void()>& between) {
    while (!done()) {
        changed.WaitFor(mutex, std::chrono::milliseconds(kWaitSliceMilliseconds));
        if (!between || done()) continue;
        mutex.unlock();
        try {
            between();
        } catch (...) {
            mutex.lock();
            throw;
        }
        mutex.lock();
    }
}

}  // namespace nuthumb
