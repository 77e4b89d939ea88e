#pragma once
// Reads a stretch of a source front to back through a small buffer, so that a long
// stream (run-length data) is never held whole, and asks the caller whether to
// stop each time the buffer is refilled.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pixels/decode_options.h"
#include "platform/byte_source.h"

namespace nuthumb {

class ChunkReader {
public:
    ChunkReader(const ByteSource& source, std::uint64_t begin, std::uint64_t end, const DecodeOptions& options)
        : source_(source), options_(options), pos_(begin), end_(std::max(begin, end)), buffer_(kChunk) {}

    // Bytes left in the stretch. A file that shrank under the reader ends early:
    // this then drops to 0 at the next refill.
    std::uint64_t remaining() const { return end_ - pos_; }
    // Where the next byte lies in the source.
    std::uint64_t position() const { return pos_; }

    // The next byte; 0 once nothing is left.
    std::uint8_t Next() {
        if (at_ == filled_ && !Refill()) return 0;
        ++pos_;
        return buffer_[at_++];
    }

    // Steps over the bytes up to and including the next `value`; false when the
    // stretch ends first. Searches the buffer a chunk at a time, not byte by byte.
    bool SkipPast(std::uint8_t value) {
        for (;;) {
            if (at_ == filled_ && !Refill()) return false;
            const void* hit = std::memchr(buffer_.data() + at_, value, filled_ - at_);
            const std::size_t stop = hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - buffer_.data()) + 1
                                         : filled_;
            pos_ += stop - at_;
            at_ = stop;
            if (hit) return true;
        }
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;

    bool Refill() {
        options_.ThrowIfStopRequested();
        at_ = filled_ = 0;
        if (pos_ >= end_) return false;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), end_ - pos_));
        filled_ = source_.ReadAt(pos_, {buffer_.data(), want});
        if (filled_ < want) end_ = pos_ + filled_;
        return filled_ > 0;
    }

    const ByteSource& source_;
    const DecodeOptions& options_;
    std::uint64_t pos_;
    std::uint64_t end_;
    std::vector<std::uint8_t> buffer_;
    std::size_t at_ = 0, filled_ = 0;
};

}  // namespace nuthumb
