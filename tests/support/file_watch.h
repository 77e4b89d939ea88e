#pragma once
// What the program does to one file while it is watched: how often it is opened
// and whether it is read at all, counted by the kernel (inotify), so a test
// needs neither timing nor hooks in the code under test.
#include <sys/inotify.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <utility>

namespace nuthumb::test {

class FileWatch {
public:
    // Opens alternate with closes, so the kernel never merges two of them into
    // one event; reads may be merged and only tell that something was read.
    explicit FileWatch(const std::string& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE_NOWRITE | IN_ACCESS) < 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;
    ~FileWatch() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool ok() const { return fd_ >= 0; }
    // The events since the last call.
    int Opens() { return Drain(), std::exchange(opens_, 0); }
    bool Read() { return Drain(), std::exchange(read_, false); }

private:
    void Drain() {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_OPEN) ++opens_;
                if (event->mask & IN_ACCESS) read_ = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int fd_;
    int opens_ = 0;
    bool read_ = false;
};

}  // namespace nuthumb::test
