#include "run/file_publisher.h"

#include <algorithm>
#include <chrono>
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
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FilePublisher::Publish(StagedFile file, std::string source_path) {
    LandingPlace place = file.place();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < max_waiting_; });
    waiting_.push_back(std::move(place));
    queue_.push_back(Item{std::move(file), std::move(source_path)});
    changed_.notify_all();
}

void FilePublisher::Drain(const std::function<void()>& while_waiting) {
    std::unique_lock lock(mutex_);
    ++draining_;
    changed_.notify_all();
    while (!waiting_.empty()) {
        if (!while_waiting) {
            changed_.wait(lock);
        } else if (changed_.wait_for(lock, std::chrono::milliseconds(kWaitSliceMilliseconds)) ==
                   std::cv_status::timeout) {
            lock.unlock();
            while_waiting();
            lock.lock();
        }
    }
    --draining_;
}

bool FilePublisher::IsWaiting(const LandingPlace& place) const {
    std::lock_guard lock(mutex_);
    return std::any_of(waiting_.begin(), waiting_.end(),
                       [&](const LandingPlace& waiting) { return waiting.SameAs(place); });
}

bool FilePublisher::AnyWaiting() const {
    std::lock_guard lock(mutex_);
    return !waiting_.empty();
}

std::vector<PublishFailure> FilePublisher::TakeFailures() {
    std::lock_guard lock(mutex_);
    return std::exchange(failures_, {});
}

void FilePublisher::Loop() {
    for (;;) {
        std::vector<Item> batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, nothing left
            // A sync costs the disk a journal commit whatever it carries: let a few
            // more files arrive first. A drain does not wait for the gathering.
            changed_.wait_for(lock, kGatherTime, [this] {
                return stopping_ || draining_ || queue_.size() >= max_waiting_ / 2;
            });
            // Everything that arrived while the last sync ran goes into this one.
            for (; !queue_.empty(); queue_.pop_front()) batch.push_back(std::move(queue_.front()));
            in_flight_ = batch.size();
        }
        PublishBatch(batch);
        // A file that failed removes its temporary file here, before anyone
        // waiting in Drain looks at the folder.
        batch.clear();
        {
            std::lock_guard lock(mutex_);
            waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(in_flight_));
            in_flight_ = 0;
        }
        changed_.notify_all();
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
    std::lock_guard lock(mutex_);
    for (PublishFailure& failure : failed) failures_.push_back(std::move(failure));
}

}  // namespace nuthumb
