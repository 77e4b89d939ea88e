#include "settings/settings_readable.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

constexpr char kWhat[] = N_("設定ファイル {} を読み込めません: {}");

void RequireRegular(const struct stat& st, const std::string& path) {
    if (!S_ISREG(st.st_mode)) ThrowIoError(kWhat, path, NotRegularFileReason(st.st_mode));
}

}  // namespace

void CheckSettingsReadable(const std::string& path, bool must_exist) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && !must_exist) return;
        ThrowErrno(kWhat, path, errno);
    }
    // Known to be a regular file before it is opened, so that opening a device
    // cannot act on it; non-blocking in case it became a FIFO since.
    RequireRegular(st, path);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) ThrowErrno(kWhat, path, errno);
    if (::fstat(fd.get(), &st) != 0) ThrowErrno(kWhat, path, errno);
    RequireRegular(st, path);
    // Read through once: a file that opens but fails to read would read as empty.
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) return;
        if (n < 0 && errno != EINTR) ThrowErrno(kWhat, path, errno);
    }
}

}  // namespace nuthumb
