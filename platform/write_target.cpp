#include "platform/write_target.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

// The same bound the kernel puts on a chain of links.
constexpr int kMaxLinks = 40;

// The name the link holds, read against the link's own folder when relative.
std::string FollowLink(const std::string& link, const std::string& path) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
        if (n < 0) ThrowErrno(kCannotWrite, path, errno);
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            break;
        }
        target.resize(target.size() * 2);  // possibly cut: read again with more room
    }
    const std::string folder = DirectoryPart(link);
    if (target.starts_with('/') || folder.empty()) return target;
    return JoinPath(folder, target);
}

}  // namespace

std::string ResolveWriteTarget(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) return current;
            ThrowErrno(kCannotWrite, path, errno);
        }
        if (S_ISREG(st.st_mode)) return current;
        if (!S_ISLNK(st.st_mode)) ThrowIoError(kCannotWrite, path, NotRegularFileReason(st.st_mode));
        current = FollowLink(current, path);
    }
    ThrowErrno(kCannotWrite, path, ELOOP);
}

}  // namespace nuthumb
