#include "platform/descriptor_limit.h"

#include <dirent.h>
#include <sys/resource.h>

#include <limits>
#include <memory>

namespace nuthumb {
namespace {

// The descriptors open now; the listing's own one is not counted.
std::size_t OpenDescriptors() {
    const std::unique_ptr<DIR, int (*)(DIR*)> list(::opendir("/proc/self/fd"), &::closedir);
    if (!list) return 0;
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(list.get()))
        if (entry->d_name[0] != '.') ++count;
    return count > 0 ? count - 1 : 0;
}

}  // namespace

std::size_t FreeDescriptors() {
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<std::size_t>::max();
    const auto soft = static_cast<std::size_t>(limit.rlim_cur);
    const std::size_t open = OpenDescriptors();
    return soft > open ? soft - open : 0;
}

}  // namespace nuthumb
