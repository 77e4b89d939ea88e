#include "platform/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/io_failure.h"
#include "platform/staged_file.h"
#include "platform/unique_fd.h"

namespace nuthumb {

std::string ReasonOf(const std::exception& error) {
    const auto* io = dynamic_cast<const IoError*>(&error);
    return io && !io->reason().empty() ? io->reason() : error.what();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) ThrowErrno(kCannotOpen, path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) ThrowErrno(kCannotRead, path, errno);
    if (S_ISDIR(st.st_mode)) ThrowErrno(kCannotRead, path, EISDIR);

    // One spare byte lets the loop see the end of a file of the reported size
    // without a second grow; files that grow or report no size double the buffer.
    std::size_t capacity = 65536;
    if (S_ISREG(st.st_mode) && st.st_size >= 0) capacity = static_cast<std::size_t>(st.st_size) + 1;
    std::vector<std::uint8_t> data(capacity);
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (data.size() > data.max_size() / 2) ThrowErrno(kCannotRead, path, EFBIG);
            data.resize(data.size() * 2);
        }
        const ssize_t n = ::read(fd.get(), data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(kCannotRead, path, errno);
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    data.resize(used);
    return data;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    WriteFileAtomic(path, std::span<const std::uint8_t>(
                              reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    StagedFile file(path, bytes);
    file.Sync();
    file.Publish();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace nuthumb
