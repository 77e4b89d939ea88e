#include "run/tree_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <set>
#include <utility>

#include "platform/io_failure.h"
#include "platform/path_util.h"
#include "platform/unique_fd.h"
#include "run/list_files.h"

namespace nuthumb {
namespace {

using FolderKey = std::pair<std::uint64_t, std::uint64_t>;  // device, inode
using SharedFd = std::shared_ptr<const UniqueFd>;

// A folder still to read: its name in the folder it was listed in, which stays
// open until its last subfolder is opened.
struct PendingFolder {
    std::string relative;  // below the top, for the caller and for messages
    SharedFd parent;
    std::string name;
};

FolderKey KeyOf(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) ThrowErrno(kCannotReadFolder, path, errno);
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// Opens `name` inside the open folder `parent`, never by its full path: a folder
// above it swapped for a link since it was listed cannot lead out of the tree,
// and a link put in its own place is not followed. nullptr when `name` is no
// longer a folder (a link, a file): passed over as a listing now would.
SharedFd OpenSubfolder(int parent, const std::string& name, const std::string& path) {
    UniqueFd fd(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd) return std::make_shared<const UniqueFd>(std::move(fd));
    const int err = errno;
    struct stat st {};
    if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) return nullptr;
    ThrowErrno(kCannotReadFolder, path, err);
}

// Reads the open folder `fd` through a stream of its own, leaving `fd` open for
// its subfolders.
FolderEntries ReadOpenFolder(int fd, const std::string& path, const NameFilter& matches,
                             RunHost& host) {
    UniqueFd stream_fd(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!stream_fd) ThrowErrno(kCannotReadFolder, path, errno);
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(stream_fd.get()));
    if (!dir) ThrowErrno(kCannotReadFolder, path, errno);
    stream_fd.release();  // the folder stream owns it now
    return ReadFolderEntries(dir.get(), path, matches, true, host);
}

}  // namespace

void WalkTree(const std::string& top, const std::optional<FileIdentity>& skip,
              const NameFilter& matches, RunHost& host,
              const std::function<void(const std::string& relative, FolderEntries& entries)>& on_folder,
              std::vector<UnreadableFolder>& unreadable) {
    const std::string top_path = top.empty() ? std::string("/") : top;
    // The top is the user's: a link named as the top is followed.
    UniqueFd top_fd(::open(top_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top_fd) ThrowErrno(kCannotReadFolder, top_path, errno);
    std::set<FolderKey> seen{KeyOf(top_fd.get(), top_path)};
    if (skip) seen.insert({skip->device, skip->inode});

    std::vector<PendingFolder> pending;  // the next folder to read last
    // Reads an open folder, hands over its files and queues its subfolders.
    const auto read = [&](const SharedFd& folder, const std::string& relative, const std::string& path) {
        FolderEntries entries = ReadOpenFolder(folder->get(), path, matches, host);
        on_folder(relative, entries);
        for (auto it = entries.subfolders.rbegin(); it != entries.subfolders.rend(); ++it)
            pending.push_back({relative.empty() ? *it : JoinPath(relative, *it), folder, *it});
    };
    read(std::make_shared<const UniqueFd>(std::move(top_fd)), "", top_path);
    while (!pending.empty()) {
        PendingFolder next = std::move(pending.back());
        pending.pop_back();
        const std::string path = JoinPath(top_path, next.relative);
        try {
            const SharedFd folder = OpenSubfolder(next.parent->get(), next.name, path);
            next.parent.reset();  // closed once its last subfolder is open
            if (!folder) continue;  // no longer a folder
            if (!seen.insert(KeyOf(folder->get(), path)).second) continue;  // the destination, or read before
            read(folder, next.relative, path);
        } catch (IoError& error) {
            unreadable.push_back({path, std::move(error)});
        }
    }
}

}  // namespace nuthumb
