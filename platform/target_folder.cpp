#include "platform/target_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/io_failure.h"

namespace nuthumb {

mode_t ProcessUmask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

TargetFolder::TargetFolder(const std::string& path, const std::string& shown_path) : path_(path) {
    fd_ = UniqueFd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st {};
    if (!fd_ || ::fstat(fd_.get(), &st) != 0) ThrowErrno(kCannotWrite, shown_path, errno);
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
}

NameLook TargetFolder::Look(const std::string& name) const {
    struct stat st {};
    if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno == ENOENT ? NameLook::Kind::kNothing : NameLook::Kind::kOther, 0};
    if (!S_ISREG(st.st_mode)) return {NameLook::Kind::kOther, 0};
    return {NameLook::Kind::kFile, static_cast<mode_t>(st.st_mode & 07777)};
}

}  // namespace nuthumb
