#include "platform/direct_write.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

bool IsStream(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode); }

}  // namespace

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const std::string& name) {
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(kCannotWrite, name, errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void WriteFileOrDevice(const std::string& path, std::string_view bytes) {
    WriteFileOrDevice(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void WriteFileOrDevice(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !IsStream(st.st_mode)) {
        WriteFileAtomic(path, bytes);
        return;
    }
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait forever.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        if (errno == ENXIO && S_ISFIFO(st.st_mode))
            ThrowIoError(kCannotWrite, path, Tr("読み出すプロセスのない名前付きパイプです"));
        ThrowErrno(kCannotWrite, path, errno);
    }
    // Swapped for a regular file since the stat: that one is replaced as a whole.
    if (::fstat(fd.get(), &st) != 0 || !IsStream(st.st_mode)) {
        fd.close();
        WriteFileAtomic(path, bytes);
        return;
    }
    // From here on a slow reader is waited for, as any writer to a pipe would.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) ThrowErrno(kCannotWrite, path, errno);
    WriteAll(fd.get(), bytes, path);
    if (fd.close() != 0) ThrowErrno(kCannotWrite, path, errno);
}

}  // namespace nuthumb
