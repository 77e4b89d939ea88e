#include "platform/remove_below.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

// The folder that holds `relative`, opened one part at a time from `root`, with
// the last part's name; nothing when a part is missing (errno ENOENT) or is no
// folder of its own (a link, a file).
std::optional<std::pair<UniqueFd, std::string>> OpenParent(const std::string& root, const std::string& relative) {
    UniqueFd folder(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return std::nullopt;
    std::size_t start = 0;
    for (std::size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
        const std::string part = relative.substr(start, slash - start);
        UniqueFd next(::openat(folder.get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next) return std::nullopt;
        folder = std::move(next);
    }
    return std::pair{std::move(folder), relative.substr(start)};
}

}  // namespace

Removal RemoveFileBelow(const std::string& root, const std::string& relative,
                        const std::function<bool(const FileIdentity&)>& still_ours, std::string& reason) {
    auto parent = OpenParent(root, relative);
    if (!parent) return errno == ENOENT ? Removal::kGone : Removal::kChanged;
    const auto& [folder, name] = *parent;
    struct stat st {};
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Removal::kGone : Removal::kChanged;
    if (!S_ISREG(st.st_mode) || !still_ours(IdentityOf(st))) return Removal::kChanged;
    if (::unlinkat(folder.get(), name.c_str(), 0) == 0) return Removal::kRemoved;
    if (errno == ENOENT) return Removal::kGone;
    reason = std::strerror(errno);
    return Removal::kFailed;
}

bool RemoveEmptyFolderBelow(const std::string& root, const std::string& relative) {
    const auto parent = OpenParent(root, relative);
    // rmdir refuses a folder that holds anything, and a link.
    return parent && ::unlinkat(parent->first.get(), parent->second.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace nuthumb
