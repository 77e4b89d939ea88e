#pragma once
// Puts staged files in place on a thread of its own, so that a folder run never
// waits for the disk: files are made durable many at a time with one sync of the
// file system, then renamed over their targets in the order they were handed in.
// A crash therefore never leaves a target empty or torn, only old or new.
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/mutex.h"
#include "platform/staged_file.h"

namespace nuthumb {

struct PublishFailure {
    std::string source_path;  // the source whose thumbnail did not arrive
    std::string target_path;
    std::string reason;
    FileNode node;  // the file it would have become
};

class FilePublisher {
public:
    // At most `max_waiting` files wait for their sync (each holds a descriptor).
    explicit FilePublisher(std::size_t max_waiting);
    FilePublisher(const FilePublisher&) = delete;
    FilePublisher& operator=(const FilePublisher&) = delete;
    // Publishes whatever still waits, then ends the thread.
    ~FilePublisher();

    // Queues `file`; while `max_waiting` files wait (a sync takes long on slow
    // media), waits in short slices and calls `while_waiting` (without the lock)
    // between them.
    void Publish(StagedFile file, std::string source_path, const std::function<void()>& while_waiting = {})
        EXCLUDES(mutex_);
    // Returns once every file handed in so far is in place (or has failed);
    // calls `while_waiting` (without the lock) between short waits.
    void Drain(const std::function<void()>& while_waiting = {}) EXCLUDES(mutex_);
    // True while a file handed in is not yet in place whose target may be `place`.
    bool IsWaiting(const LandingPlace& place) const EXCLUDES(mutex_);
    bool AnyWaiting() const EXCLUDES(mutex_);
    // The files that could not be made durable or put in place, in order, since
    // the last call.
    std::vector<PublishFailure> TakeFailures() EXCLUDES(mutex_);

private:
    struct Item {
        StagedFile file;
        std::string source_path;
    };
    // The publisher's thread: syncs and renames run without the lock, so the
    // run's thread never waits for the disk to ask what is waiting.
    void Loop() EXCLUDES(mutex_);
    void PublishBatch(std::vector<Item>& batch) EXCLUDES(mutex_);

    static constexpr std::chrono::milliseconds kGatherTime{10};

    const std::size_t max_waiting_;
    // Shared by the run's thread (Publish, Drain, the questions) and the
    // publisher's thread (Loop).
    mutable Mutex mutex_;
    CondVar changed_;
    std::deque<Item> queue_ GUARDED_BY(mutex_);
    // Where each queued or in-flight file will land.
    std::vector<LandingPlace> waiting_ GUARDED_BY(mutex_);
    std::size_t in_flight_ GUARDED_BY(mutex_) = 0;  // taken from the queue, not yet in place
    std::vector<PublishFailure> failures_ GUARDED_BY(mutex_);
    bool closing_ GUARDED_BY(mutex_) = false;  // the thread ends once the queue is empty
    int draining_ GUARDED_BY(mutex_) = 0;  // callers waiting in Drain
    std::thread thread_;  // last: started once everything above exists
};

}  // namespace nuthumb
