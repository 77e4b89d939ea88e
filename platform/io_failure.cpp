#include "platform/io_failure.h"

#include <cstring>
#include <sys/stat.h>

#include "platform/file_io.h"

namespace nuthumb {

void ThrowErrno(std::string_view what, const std::string& path, int err) {
    throw IoError(std::string(what) + " " + path + ": " + std::strerror(err));
}

std::string NotRegularFileReason(mode_t mode) {
    const char* kind = S_ISDIR(mode)    ? "a folder"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "a special file";
    return std::string("it is ") + kind + ", not a regular file";
}

}  // namespace nuthumb
