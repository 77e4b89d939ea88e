#include "platform/source_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/file_io.h"
#include "platform/io_failure.h"

namespace nuthumb {
namespace {

void RequireRegular(const struct stat& st, const std::string& path) {
    if (!S_ISREG(st.st_mode)) ThrowIoError(kCannotRead, path, NotRegularFileReason(st.st_mode));
}

}  // namespace

SourceFile::SourceFile(const std::string& path, std::uint64_t max_size) : path_(path) {
    // Looked at before it is opened: opening a device can do something by itself
    // (a tape rewinds, a watchdog starts), and opening a pipe waits for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) ThrowIoError(kCannotOpen, path, std::strerror(errno));
    RequireRegular(st, path);
    // The name may point elsewhere by now. Non-blocking, so that a pipe swapped in
    // meanwhile opens at once; the descriptor then says what was really opened.
    fd_ = UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd_) ThrowIoError(kCannotOpen, path, std::strerror(errno));
    if (::fstat(fd_.get(), &st) != 0) ThrowIoError(kCannotRead, path, std::strerror(errno));
    RequireRegular(st, path);
    identity_ = IdentityOf(st);
    size_ = static_cast<std::uint64_t>(st.st_size);
    if (size_ > max_size) {
        ThrowIoError(kCannotRead, path,
                     Fill(Tr("{} バイトあり、元の画像に許される {} バイトを超えています"),
                          {std::to_string(size_), std::to_string(max_size)}));
    }
}

std::span<const std::uint8_t> SourceFile::ReadHead() {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, size_));
    // Not zeroed: every byte kept is read first.
    head_ = std::make_unique_for_overwrite<std::uint8_t[]>(count);
    head_size_ = ReadFromFile(0, {head_.get(), count});
    return {head_.get(), head_size_};
}

std::size_t SourceFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    // An empty span may have no buffer at all, which memcpy must not be given.
    if (out.empty() || offset >= size_) return 0;
    if (offset >= head_size_) return ReadFromFile(offset, out);
    const std::size_t kept = std::min<std::size_t>(out.size(), head_size_ - static_cast<std::size_t>(offset));
    std::memcpy(out.data(), head_.get() + offset, kept);
    // A head cut short by a file that shrank ends the file there.
    if (kept == out.size() || head_size_ < std::min<std::uint64_t>(kHeadBytes, size_)) return kept;
    return kept + ReadFromFile(offset + kept, out.subspan(kept));
}

std::size_t SourceFile::ReadFromFile(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset >= size_) return 0;
    // Bytes appended after opening are not part of the image the decoder started on.
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(fd_.get(), out.data() + done, wanted - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowIoError(kCannotRead, path_, std::strerror(errno));
        }
        if (n == 0) break;  // the file shrank: the rest is missing, as in a cut file
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace nuthumb
