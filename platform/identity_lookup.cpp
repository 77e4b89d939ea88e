#include "platform/identity_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>

namespace nuthumb {

std::optional<FileIdentity> IdentityLookup::operator()(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return IdentityOf(path);
    const std::string_view folder(path.data(), slash);
    if (!looked_up_ || folder != folder_) {
        folder_ = folder;
        looked_up_ = true;
        fd_ = UniqueFd(::open(folder_.empty() ? "/" : folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    struct stat st {};
    if (!fd_ || ::fstatat(fd_.get(), path.c_str() + slash + 1, &st, 0) != 0) return std::nullopt;
    return IdentityOf(st);
}

}  // namespace nuthumb
