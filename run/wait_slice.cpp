#include "run/wait_slice.h"

#include <chrono>

namespace nuthumb {

void SlicedWait::Step(Mutex& mutex) {
    sliced_ = !sliced_;
    if (sliced_) {
        changed_.WaitFor(mutex, std::chrono::milliseconds(kWaitSliceMilliseconds));
        return;
    }
    if (!between_) return;
    mutex.unlock();
    try {
        between_();
    } catch (...) {
        mutex.lock();
        throw;
    }
    mutex.lock();
}

}  // namespace nuthumb
