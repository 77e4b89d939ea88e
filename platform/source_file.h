#pragma once
// A source image file, opened so that nothing about it can block or run away: a
// named pipe, a device or a socket (also behind a link, also one swapped in after
// the folder was listed) is refused instead of read, and so is a file larger than
// the caller can ever need.
#include <cstdint>
#include <string>

#include "platform/byte_source.h"
#include "platform/file_identity.h"
#include "platform/unique_fd.h"

namespace nuthumb {

class SourceFile final : public ByteSource {
public:
    // Opens `path` (links followed). Throws IoError, naming the path and saying what
    // happened, when it cannot be opened, is not a regular file, or holds more than
    // `max_size` bytes.
    SourceFile(const std::string& path, std::uint64_t max_size);

    std::uint64_t size() const override { return size_; }
    // The file that was opened, as it was then.
    const FileIdentity& identity() const { return identity_; }
    // The open file, for a helper process to read it by; and its path, for messages.
    int descriptor() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    // Reads with pread, so reads at any offset share the descriptor safely.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

private:
    std::string path_;
    UniqueFd fd_;
    std::uint64_t size_ = 0;
    FileIdentity identity_;
};

}  // namespace nuthumb
