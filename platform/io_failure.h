#pragma once
// How file failures are put into words: one form for every IoError, so that a
// message always names the path and the system's reason.
#include <string>
#include <string_view>
#include <sys/types.h>

namespace nuthumb {

// Throws IoError "<what> <path>: <strerror(err)>".
[[noreturn]] void ThrowErrno(std::string_view what, const std::string& path, int err);

// The reason given for something that is there but is no regular file, e.g.
// "it is a folder, not a regular file"; `mode` is a stat() st_mode.
std::string NotRegularFileReason(mode_t mode);

}  // namespace nuthumb
