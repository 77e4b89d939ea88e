#pragma once
// A mutex, its scoped lock and a condition variable that Clang's thread-safety
// analysis understands (std::mutex carries no attributes in libstdc++), so that
// a member read without its lock fails the build of scripts/thread-safety.sh.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/thread_annotations.h"

namespace nuthumb {

class CAPABILITY("mutex") Mutex {
public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }

private:
    friend class CondVar;
    std::mutex mutex_;
};

// Holds a Mutex for its scope.
class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() RELEASE() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& mutex_;
};

// Waits release the mutex and hold it again when they return, as
// std::condition_variable does; callers check their condition in a loop.
class CondVar {
public:
    void Wait(Mutex& mutex) REQUIRES(mutex) {
        std::unique_lock lock(mutex.mutex_, std::adopt_lock);
        changed_.wait(lock);
        lock.release();
    }
    // False when `timeout` passed without a notification.
    bool WaitFor(Mutex& mutex, std::chrono::milliseconds timeout) REQUIRES(mutex) {
        std::unique_lock lock(mutex.mutex_, std::adopt_lock);
        const bool notified = changed_.wait_for(lock, timeout) == std::cv_status::no_timeout;
        lock.release();
        return notified;
    }
    // False when `deadline` passed without a notification.
    bool WaitUntil(Mutex& mutex, std::chrono::steady_clock::time_point deadline) REQUIRES(mutex) {
        std::unique_lock lock(mutex.mutex_, std::adopt_lock);
        const bool notified = changed_.wait_until(lock, deadline) == std::cv_status::no_timeout;
        lock.release();
        return notified;
    }
    void NotifyOne() { changed_.notify_one(); }
    void NotifyAll() { changed_.notify_all(); }

private:
    std::condition_variable changed_;
};

}  // namespace nuthumb
