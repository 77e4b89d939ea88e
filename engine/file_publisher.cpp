#include "engine/file_publisher.h"

#include <algorithm>
#include <exception>
#include <set>
#include <utility>

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
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() + in_flight_.size() < max_waiting_; });
    queue_.push_back(Item{std::move(file), std::move(source_path)});
    changed_.notify_all();
}

void FilePublisher::Drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && in_flight_.empty(); });
}

bool FilePublisher::IsWaiting(const std::string& target_path) const {
    std::lock_guard lock(mutex_);
    const auto named = [&](const std::string& path) { return path == target_path; };
    return std::any_of(in_flight_.begin(), in_flight_.end(), named) ||
           std::any_of(queue_.begin(), queue_.end(), [&](const Item& item) { return named(item.file.path()); });
}

bool FilePublisher::AnyWaiting() const {
    std::lock_guard lock(mutex_);
    return !queue_.empty() || !in_flight_.empty();
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
            // Everything that arrived while the last sync ran goes into this one.
            for (; !queue_.empty(); queue_.pop_front()) {
                in_flight_.push_back(queue_.front().file.path());
                batch.push_back(std::move(queue_.front()));
            }
        }
        PublishBatch(batch);
        {
            std::lock_guard lock(mutex_);
            in_flight_.clear();
        }
        changed_.notify_all();
    }
}

void FilePublisher::PublishBatch(std::vector<Item>& batch) {
    std::vector<PublishFailure> failed;
    // One sync per file system the batch touches; targets reached through links
    // may lie in other folders.
    std::set<std::string> folders;
    for (const Item& item : batch) folders.insert(item.file.folder());
    std::string sync_error;
    for (const std::string& folder : folders) {
        try {
            SyncFileSystem(folder);
        } catch (const std::exception& e) {
            sync_error = e.what();
        }
    }
    for (Item& item : batch) {
        try {
            // Data that may not be on the disk is never renamed over an old file.
            if (!sync_error.empty()) item.file.Sync();
            item.file.Publish();
        } catch (const std::exception& e) {
            failed.push_back({item.source_path, item.file.path(), e.what()});
        }
    }
    if (failed.empty()) return;
    std::lock_guard lock(mutex_);
    for (PublishFailure& failure : failed) failures_.push_back(std::move(failure));
}

}  // namespace nuthumb
