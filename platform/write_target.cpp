#include "platform/write_target.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

// The path the kernel reached for an open descriptor.
std::string PathOfDescriptor(int fd, const std::string& path) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(proc.c_str(), target.data(), target.size());
        if (n < 0) ThrowErrno(kCannotWrite, path, errno);
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);  // possibly cut: read again with more room
    }
}

void RefuseUnlessRegular(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) ThrowErrno(kCannotWrite, path, errno);
    if (!S_ISREG(st.st_mode)) ThrowIoError(kCannotWrite, path, NotRegularFileReason(st.st_mode));
}

std::optional<LandingPlace> PlaceOfPath(const std::string& path) {
    const std::string folder = FolderOf(path);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    return LandingPlace{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     FileNamePart(path)};
}

}  // namespace

WriteTarget ResolveWriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return {path, false};
        ThrowErrno(kCannotWrite, path, errno);
    }
    if (S_ISREG(st.st_mode)) return {path, false};
    if (!S_ISLNK(st.st_mode)) ThrowIoError(kCannotWrite, path, NotRegularFileReason(st.st_mode));

    UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    bool created = false;
    if (!fd && errno == ENOENT) {
        // The link names nothing yet: the kernel creates that file as it follows
        // the link. No permissions until the real file is renamed over it.
        fd = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
        created = static_cast<bool>(fd);
    }
    if (!fd) ThrowErrno(kCannotWrite, path, errno);
    RefuseUnlessRegular(fd.get(), path);
    return {PathOfDescriptor(fd.get(), path), created};
}

bool LandingPlace::SameAs(const LandingPlace& other) const {
    return folder_device == other.folder_device && folder_inode == other.folder_inode &&
           AsciiLower(name) == AsciiLower(other.name);
}

std::optional<LandingPlace> PlaceOfWriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? PlaceOfPath(path) : std::nullopt;
    if (!S_ISLNK(st.st_mode)) return PlaceOfPath(path);
    UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!fd) return std::nullopt;
    try {
        return PlaceOfPath(PathOfDescriptor(fd.get(), path));
    } catch (const IoError&) {
        return std::nullopt;
    }
}

bool FolderOfPathIsMissing(const std::string& path) {
    struct stat st {};
    return ::stat(FolderOf(path).c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace nuthumb
