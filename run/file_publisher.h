#pragma once
// Puts staged files in place on a thread of its own, so that a folder run never
// waits for the disk: files are made durable many at a time with one sync of the
// file system, then renamed over their targets in the order they were handed in.
// A crash therefore never leaves a target empty or torn, only old or new.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

    // Queues `file`; blocks while `max_waiting` files wait.
    void Publish(StagedFile file, std::string source_path);
    // Returns once every file handed in so far is in place (or has failed);
    // calls `while_waiting` (without the lock) between short waits.
    void Drain(const std::function<void()>& while_waiting = {});
    // True while a file handed in is not yet in place whose target may be `place`.
    bool IsWaiting(const LandingPlace& place) const;
    bool AnyWaiting() const;
    // The files that could not be made durable or put in place, in order, since
    // the last call.
    std::vector<PublishFailure> TakeFailures();

private:
    struct Item {
        StagedFile file;
        std::string source_path;
    };
    void Loop();
    void PublishBatch(std::vector<Item>& batch);

    static constexpr std::chrono::milliseconds kGatherTime{10};

    const std::size_t max_waiting_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    std::vector<LandingPlace> waiting_;  // where each queued or in-flight file will land
    std::size_t in_flight_ = 0;   // taken from the queue, not yet in place
    std::vector<PublishFailure> failures_;
    bool stopping_ = false;
    int draining_ = 0;  // callers waiting in Drain
    std::thread thread_;  // last: started once everything above exists
};

}  // namespace nuthumb
