#pragma once
// A file replaced in two steps: its new content is first written to a file of its
// own beside the target, then made durable and renamed over it. Keeping the steps
// apart lets a caller make many files durable with one sync of the file system
// instead of waiting for the disk once per file.
//
// The staged file has no name while it waits, where the file system allows that
// (O_TMPFILE): a run that is killed leaves nothing behind. It gets a temporary
// name (".nuthumb-", ten random letters or digits and four that follow from them)
// only just before the rename, or from the start where unnamed files are refused
// (vfat, network file systems). A file of that name is locked (flock) from before
// it has the name for as long as its owner lives, so RemoveStaleTempFiles knows
// it is not stale. An unnamed file that replaces nothing needs no temporary
// name: it is linked in under the target's name, which fails rather than
// replace a file that appeared meanwhile (that one is then replaced by a
// rename, as any target is).
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/file_identity.h"
#include "platform/target_folder.h"
#include "platform/unique_fd.h"
#include "platform/write_target.h"

namespace nuthumb {

class StagedFile {
public:
    enum class Naming { kUnnamedWherePossible, kNamed };

    // Writes `bytes` to a new file in the folder of the file that writing `path`
    // replaces (ResolveWriteTarget: links followed by the kernel, anything but a
    // regular file refused). The new file gets the old file's permissions, or
    // 0666 less the umask. Nothing is visible under `path` yet. Throws IoError
    // naming `path`, leaving nothing behind.
    StagedFile(const std::string& path, std::span<const std::uint8_t> bytes,
               Naming naming = Naming::kUnnamedWherePossible);
    // The same for `path`, whose folder is `folder`, opened earlier and shared
    // with the other files written there: a file or nothing at that name is
    // handled relative to the folder, without another look at the path; a link,
    // or anything else, goes the way above.
    StagedFile(std::shared_ptr<const TargetFolder> folder, const std::string& path,
               std::span<const std::uint8_t> bytes);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    // Removes the staged file unless it was published.
    ~StagedFile();

    const std::string& path() const { return path_; }
    // The regular file that is replaced (links resolved).
    const std::string& target() const { return target_; }
    // Where the target lies; the folder is the one opened when staging, so a
    // folder renamed meanwhile is still the one written to.
    const LandingPlace& place() const { return place_; }
    // The file the target becomes once published.
    FileNode node() const { return node_; }
    bool unnamed() const { return temp_name_.empty() && !published_; }

    // Gives the staged file this modification time, before it is synced and
    // published, so the target never shows another one. A time the file system
    // cannot hold (the kernel would bring it to the file system's limit) throws
    // IoError naming the time.
    void SetModificationTime(const FileTime& modified);
    // Flushes this file's data to the disk (fsync).
    void Sync();
    // Flushes everything written to this file's file system (syncfs), so that every
    // file staged there before the call is durable.
    void SyncFileSystem();
    // Renames the staged file over the target. Its data must be durable first
    // (Sync, or SyncFileSystem): otherwise a crash could leave an empty file where
    // the old one was.
    void Publish();

private:
    void StageResolved(std::span<const std::uint8_t> bytes, Naming naming);
    void Stage(std::span<const std::uint8_t> bytes, mode_t mode, Naming naming);
    bool LinkAsTarget();
    void NameForRename();
    void Discard() noexcept;

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the regular file that is replaced
    LandingPlace place_;
    FileNode node_;
    std::shared_ptr<const TargetFolder> folder_;  // the target's folder
    UniqueFd fd_;         // the staged file
    std::string temp_name_;   // its name in folder_, when it has one
    bool locked_ = false;       // fd_ holds the lock that says it is not stale
    bool replaces_ = false;     // a file lay at the target when it was staged
    bool placeholder_ = false;  // the target is the empty file made for a link
    bool published_ = false;
};

// A staged file lives for seconds; one older than this that nobody holds was left
// by a run that was killed.
inline constexpr std::chrono::seconds kStaleTempFileAge{3600};

// Removes, in `folder` only, the temporary files of this naming that no live
// process owns (a run killed after naming one): files of the current user that
// nobody holds locked and that were last written at least `min_age` ago. Returns
// how many were removed; never throws.
int RemoveStaleTempFiles(const std::string& folder, std::chrono::seconds min_age = kStaleTempFileAge);

}  // namespace nuthumb
