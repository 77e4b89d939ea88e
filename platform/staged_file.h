#pragma once
// A file replaced in two steps: its new content is first written under a temporary
// name beside it, then made durable and renamed over it. Keeping the steps apart
// lets a caller make many files durable with one sync of the file system instead
// of waiting for the disk once per file.
#include <cstdint>
#include <span>
#include <string>

#include "platform/unique_fd.h"

namespace nuthumb {

class StagedFile {
public:
    // Writes `bytes` to a new temporary file (a short name of fixed length) in the
    // folder of the file that writing `path` replaces: a symbolic link is followed,
    // and anything but a regular file there is refused (ResolveWriteTarget). The
    // new file gets the old file's permissions, or 0666 less the umask. Nothing is
    // visible under `path` yet. Throws IoError naming `path`, leaving no temporary
    // file behind.
    StagedFile(const std::string& path, std::span<const std::uint8_t> bytes);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    // Removes the temporary file unless it was published.
    ~StagedFile();

    // The folder that holds the temporary file and the target.
    const std::string& folder() const { return folder_; }
    const std::string& path() const { return path_; }
    // The regular file that is replaced (links resolved).
    const std::string& target() const { return target_; }

    // Flushes this file's data to the disk (fsync).
    void Sync();
    // Renames the temporary file over the target. Its data must be durable first
    // (Sync, or SyncFileSystem on its folder): otherwise a crash could leave an
    // empty file where the old one was.
    void Publish();

private:
    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the regular file that is replaced
    std::string folder_;
    std::string temp_;    // empty once published
    UniqueFd fd_;
};

// Flushes everything written to the file system that holds `folder` (syncfs), so
// that every file staged there before the call is durable. Throws IoError.
void SyncFileSystem(const std::string& folder);

}  // namespace nuthumb
