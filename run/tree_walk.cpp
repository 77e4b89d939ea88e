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

// Opens a folder below the top without following a link put in its place since
// it was listed.
std::unique_ptr<DIR, DirCloser> OpenSubfolder(const std::string& path, FolderKey& key) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) ThrowErrno(kCannotReadFolder, path, errno);
    key = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd.get()));
    if (!dir) ThrowErrno(kCannotReadFolder, path, errno);
    fd.release();  // the folder stream owns it now
    return dir;
}

}  // namespace

void WalkTree(const std::string& top, const std::optional<FileIdentity>& skip,
              const NameFilter& matches, RunHost& host,
              const std::function<void(const std::string& relative, FolderEntries& entries)>& on_folder,
              std::vector<UnreadableFolder>& unreadable) {
    const std::string top_path = top.empty() ? std::string("/") : top;
    std::set<FolderKey> seen;
    if (const std::optional<FileIdentity> identity = IdentityOf(top_path))
        seen.insert({identity->device, identity->inode});
    if (skip) seen.insert({skip->device, skip->inode});

    // Folders still to read, the next one last; relative paths.
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        FolderEntries entries;
        if (relative.empty()) {
            std::unique_ptr<DIR, DirCloser> dir(::opendir(top_path.c_str()));
            if (!dir) ThrowErrno(kCannotReadFolder, top_path, errno);
            entries = ReadFolderEntries(dir.get(), top_path, matches, true, host);
        } else {
            const std::string path = JoinPath(top_path, relative);
            try {
                FolderKey key;
                std::unique_ptr<DIR, DirCloser> dir = OpenSubfolder(path, key);
                if (!seen.insert(key).second) continue;  // the destination, or read before
                entries = ReadFolderEntries(dir.get(), path, matches, true, host);
            } catch (IoError& error) {
                unreadable.push_back({path, std::move(error)});
                continue;
            }
        }
        on_folder(relative, entries);
        for (auto it = entries.subfolders.rbegin(); it != entries.subfolders.rend(); ++it)
            pending.push_back(relative.empty() ? *it : JoinPath(relative, *it));
    }
}

}  // namespace nuthumb
