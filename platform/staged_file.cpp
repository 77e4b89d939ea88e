#include "platform/staged_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/direct_write.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"
#include "platform/write_target.h"

namespace nuthumb {
namespace {

mode_t CurrentUmask() {
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The folder part, "." for a bare name.
std::string FolderOf(const std::string& path) {
    std::string folder = DirectoryPart(path);
    if (folder.empty()) folder.push_back('.');
    return folder;
}

}  // namespace

StagedFile::StagedFile(const std::string& path, std::span<const std::uint8_t> bytes)
    : path_(path), target_(ResolveWriteTarget(path)), folder_(FolderOf(target_)) {
    // A short name of fixed length: a target whose name has the longest length the
    // file system allows still gets its temporary file beside it.
    std::string temp = JoinPath(folder_, ".nuthumb-XXXXXX");
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) ThrowErrno(kCannotWrite, path, errno);
    TempFileGuard guard(temp);

    struct stat old {};
    const mode_t mode = (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                            ? (old.st_mode & 07777)
                            : (0666 & ~CurrentUmask());
    if (::fchmod(fd.get(), mode) != 0) ThrowErrno(kCannotWrite, path, errno);
    WriteAll(fd.get(), bytes, path);

    guard.release();
    temp_ = std::move(temp);
    fd_ = std::move(fd);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      folder_(std::move(other.folder_)),
      temp_(std::exchange(other.temp_, {})),
      fd_(std::move(other.fd_)) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        if (!temp_.empty()) ::unlink(temp_.c_str());
        path_ = std::move(other.path_);
        target_ = std::move(other.target_);
        folder_ = std::move(other.folder_);
        temp_ = std::exchange(other.temp_, {});
        fd_ = std::move(other.fd_);
    }
    return *this;
}

StagedFile::~StagedFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

void StagedFile::Sync() {
    if (::fsync(fd_.get()) != 0) ThrowErrno(kCannotWrite, path_, errno);
}

void StagedFile::Publish() {
    // close() can report a late write error on some file systems.
    if (fd_.close() != 0) ThrowErrno(kCannotWrite, path_, errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) ThrowErrno(kCannotWrite, path_, errno);
    temp_.clear();
}

void SyncFileSystem(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) ThrowErrno(kCannotOpen, folder, errno);
    if (::syncfs(fd.get()) != 0) ThrowErrno(kCannotSync, folder, errno);
}

}  // namespace nuthumb
