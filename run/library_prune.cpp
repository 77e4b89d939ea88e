// LibrarySync's removals: the targets whose photos a library no longer has.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <unordered_set>

#include "platform/path_util.h"
#include "platform/remove_below.h"
#include "platform/translate.h"
#include "run/library_sync.h"
#include "run/source_choice.h"

namespace nuthumb {
namespace {

// Only a name that is not there says a photo is gone: a folder that cannot be
// read now must not cost its thumbnails.
bool PhotoGone(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// Whether the run would list the photo `source` (below its source folder) if
// its format were chosen: in its folder, or below it in a tree run, hidden
// folders aside.
bool InReach(const std::string& source, bool recursive) {
    const std::string folder = DirectoryPart(source);
    if (folder.empty()) return true;
    if (!recursive) return false;
    return folder.front() != '.' && folder.find("/.") == std::string::npos;
}

// Deepest first, so a folder is tried after the folders inside it.
struct DeeperFirst {
    bool operator()(const std::string& a, const std::string& b) const {
        const auto depth = [](const std::string& path) { return std::count(path.begin(), path.end(), '/'); };
        return depth(a) != depth(b) ? depth(a) > depth(b) : a < b;
    }
};

}  // namespace

std::vector<LeftOver> LibrarySync::LeftOvers() const {
    std::unordered_set<std::string> made_here;
    for (const TargetToDo& target : targets_) made_here.insert(target.below);
    std::vector<LeftOver> left;
    for (const auto& [below, entry] : record_.entries()) {
        if (entry.source_folder != source_folder_ || made_here.contains(below)) continue;
        const bool gone = PhotoGone(JoinPath(job_.src_dir, entry.source));
        if (!gone && !(InReach(entry.source, job_.recursive) &&
                       !ListsExtension(job_.src_format, ExtensionOf(entry.source))))
            continue;
        const std::optional<FileIdentity> now = IdentityOf(JoinPath(job_.dst_dir, below));
        left.push_back({below, gone, now && SameThumbnail(entry.thumbnail, *now)});
    }
    std::sort(left.begin(), left.end(), [](const LeftOver& a, const LeftOver& b) { return a.target < b.target; });
    return left;
}

std::size_t LibrarySync::Prune(RunHost& host, RunCounts& tally) {
    std::vector<std::string> removed;
    for (const LeftOver& left : LeftOvers()) {
        const SyncEntry* entry = record_.Find(left.target);
        std::string reason;
        const Removal removal =
            left.as_made ? RemoveFileBelow(job_.dst_dir, left.target,
                                           [entry](const FileIdentity& now) { return SameThumbnail(entry->thumbnail, now); },
                                           reason)
                         : Removal::kChanged;
        if (removal == Removal::kFailed) {
            // Still recorded, so a later run tries again.
            const std::string path = JoinPath(job_.dst_dir, left.target);
            const std::string text = Fill(Tr("{} を削除できません: {}"), {path, reason});
            if (host.ReportLoadErrors()) host.ShowError(text);
            host.AppendError(path);
            host.NoteFailedFile(path, text);
            ++tally.failed;
            continue;
        }
        // Removed, gone, or someone else's file now: no longer ours either way.
        changes_.entries[left.target] = std::nullopt;
        if (removal == Removal::kRemoved) removed.push_back(left.target);
    }
    RemoveEmptiedFolders(removed);
    return removed.size();
}

void LibrarySync::RemoveEmptiedFolders(const std::vector<std::string>& removed) {
    std::set<std::string, DeeperFirst> folders;
    for (const std::string& target : removed)
        for (std::string folder = DirectoryPart(target); !folder.empty(); folder = DirectoryPart(folder))
            folders.insert(folder);
    for (const std::string& folder : folders) {
        // Only the folders runs made; a folder the user made stays, empty or not.
        if (!record_.made_folders.contains(folder)) continue;
        if (RemoveEmptyFolderBelow(job_.dst_dir, folder)) changes_.folders_removed.insert(folder);
    }
}

}  // namespace nuthumb
