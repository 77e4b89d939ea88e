#include "platform/file_identity.h"

#include <sys/stat.h>

namespace nuthumb {
namespace {

FileTime TimeOf(const timespec& time) {
    return {static_cast<std::int64_t>(time.tv_sec), static_cast<std::int64_t>(time.tv_nsec)};
}

}  // namespace

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), TimeOf(st.st_mtim), TimeOf(st.st_ctim)};
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return IdentityOf(st);
}

}  // namespace nuthumb
