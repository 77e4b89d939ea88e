#include "platform/io_failure.h"

#include <cstring>
#include <sys/stat.h>

#include "platform/file_io.h"

namespace nuthumb {

void ThrowIoError(const char* what, const std::string& path, const std::string& reason) {
    throw IoError(Fill(Tr(what), {path, reason}));
}

void ThrowErrno(const char* what, const std::string& path, int err) { ThrowIoError(what, path, std::strerror(err)); }

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
