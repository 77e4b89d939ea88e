#include "platform/io_failure.h"

#include <cstring>
#include <sys/stat.h>

#include <utility>

#include "platform/file_io.h"
#include "platform/message_name.h"

namespace nuthumb {

namespace {

std::string IoErrorText(std::string_view what, std::string_view path, std::string_view reason) {
    std::string text(what);
    text += ' ';
    text += NameForMessage(path);
    text += ": ";
    text += reason;
    return text;
}

}  // namespace

IoError::IoError(std::string_view what, std::string_view path, std::string reason)
    : std::runtime_error(IoErrorText(what, path, reason)), reason_(std::move(reason)) {}

void ThrowErrno(std::string_view what, const std::string& path, int err) {
    throw IoError(what, path, std::strerror(err));
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
