#include "run/file_publisher.h"

#include <algorithm>
#include <exception>
#include <set>
#include <utility>

#include "platform/file_io.h"
#include "run/wait_slice.h"

namespace nuthumb {

FilePublisher::FilePublisher(std::size_t max_waiting)
    : max_waiting_(std::max<std::size_t>(1, max_waiting)), thread_([this] { Loop(); }) {}

FilePublisher::~FilePublisher() {
    {
        MutexLock lock(mutex_);
        closing_ = true;
    }
    changed_.NotifyAll();
    thread_.join();
}

void FilePublisher::Publish(StagedFile file, std::string source_path, const std::function<void()>& while_waiting) {
    LandingPlace place = file.place();
    {
        MutexLock lock(mutex_);
        SlicedWait wait(changed_, while_waiting);
        while (waiting_.size() >= max_waiting_) wait.Step(mutex_);
        waiting_.push_back(std::move(place));
        queue_.push_back(Item{std::move(file), std::move(source_path)});
    }
    changed_.NotifyAll();
}

void FilePublisher::Drain(const std::function<void()>& while_waiting) {
    MutexLock lock(mutex_);
    ++draining_;
    changed_.NotifyAll();  // the gathering ends at once
    // Counted until the wait ends, also when `while_waiting` throws.
    struct Drainer {
        int& draining;
        ~Drainer() { --draining; }
    } drainer{draining_};
    SlicedWait wait(changed_, while_waiting);
    while (!waiting_.empty()) wait.Step(mutex_);
}

bool FilePublisher::IsWaiting(const LandingPlace& place) const {
    MutexLock lock(mutex_);
    return std::any_of(waiting_.begin(), waiting_.end(),
                       [&](const LandingPlace& waiting) { return waiting.SameAs(place); });
}

bool FilePublisher::AnyWaiting() const {
    MutexLock lock(mutex_);
    return !waiting_.empty();
}

std::vector<PublishFailure> FilePublisher::TakeFailures() {
    MutexLock lock(mutex_);
    return std::exchange(failures_, {});
}

void FilePublisher::Loop() {
    for (;;) {
        std::vector<Item> batch;
        {
            MutexLock lock(mutex_);
            while (!closing_ && queue_.empty()) changed_.Wait(mutex_);
            if (queue_.empty()) return;  // closing, nothing left
            // A sync costs the disk a journal commit whatever it carries: let a few
            // more files arrive first. A drain does not wait for the gathering.
            const auto gathered = std::chrono::steady_clock::now() + kGatherTime;
            while (!closing_ && !draining_ && queue_.size() < max_waiting_ / 2)
                if (!changed_.WaitUntil(mutex_, gathered)) break;
            // Everything that arrived while the last sync ran goes into this one.
            for (; !queue_.empty(); queue_.pop_front()) batch.push_back(std::move(queue_.front()));
            in_flight_ = batch.size();
        }
        PublishBatch(batch);
        // A file that failed removes its temporary file here, before anyone
        // waiting in Drain looks at the folder.
        batch.clear();
        {
            MutexLock lock(mutex_);
            waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(in_flight_));
            in_flight_ = 0;
        }
        changed_.NotifyAll();
    }
}

void FilePublisher::PublishBatch(std::vector<Item>& batch) {
    std::vector<PublishFailure> failed;
    // One sync per file system the batch touches; targets reached through links
    // may lie on other ones.
    std::set<std::uint64_t> devices;
    bool synced = true;
    for (Item& item : batch) {
        if (!devices.insert(item.file.place().folder_device).second) continue;
        try {
            item.file.SyncFileSystem();
        } catch (const std::exception&) {
            synced = false;
        }
    }
    for (Item& item : batch) {
        try {
            // Data that may not be on the disk is never renamed over an old file;
            // the file's own sync tells whether it was this file that failed.
            if (!synced) item.file.Sync();
            item.file.Publish();
        } catch (const std::exception& e) {
            failed.push_back({item.source_path, item.file.path(), ReasonOf(e), item.file.node()});
        }
    }
    if (failed.empty()) return;
    MutexLock lock(mutex_);
    for (PublishFailure& failure : failed) failures_.push_back(std::move(failure));
}

}  // namespace nuthumb
