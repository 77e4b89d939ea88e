#include "codecs/raw_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace nuthumb {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0; }

}  // namespace

void RawStream::Stop(std::exception_ptr why) {
    if (!stopped_) stopped_ = std::move(why);
    if (owner_) owner_->setCancelFlag();
}

void RawStream::ThrowIfStopped() const {
    if (stopped_) std::rethrow_exception(stopped_);
}

bool RawStream::Fill() {
    if (position_ >= buffer_at_ && position_ < buffer_at_ + buffer_.size()) return true;
    if (stopped_ || position_ >= source_.size()) return false;
    // Asked here, once a chunk: LibRaw reads most fields a few bytes at a time.
    if (options_.StopRequested()) {
        Stop(std::make_exception_ptr(DecodeCancelled()));
        return false;
    }
    try {
        buffer_.resize(kChunk);
        buffer_.resize(source_.ReadAt(position_, buffer_));
        buffer_at_ = position_;
    } catch (...) {
        buffer_.clear();
        Stop(std::current_exception());
        return false;
    }
    return !buffer_.empty();
}

int RawStream::read(void* out, size_t size, size_t count) {
    if (size == 0 || count == 0) return 0;
    const std::uint64_t left = source_.size() - std::min(position_, source_.size());
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left / size, count) * size);
    auto* to = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    while (done < wanted && Fill()) {
        const std::size_t offset = static_cast<std::size_t>(position_ - buffer_at_);
        const std::size_t n = std::min(wanted - done, buffer_.size() - offset);
        std::memcpy(to + done, buffer_.data() + offset, n);
        done += n;
        position_ += n;
    }
    return static_cast<int>(done / size);
}

int RawStream::seek(INT64 offset, int whence) {
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    const INT64 base = whence == SEEK_CUR ? static_cast<INT64>(position_) : whence == SEEK_END ? size() : 0;
    // Offsets come from the file: past the end is where reads find nothing, as
    // with a file, and a sum beyond INT64 stays past the end rather than wrapping.
    const INT64 to = offset > std::numeric_limits<INT64>::max() - base ? std::numeric_limits<INT64>::max()
                                                                         : base + offset;
    position_ = to < 0 ? 0 : static_cast<std::uint64_t>(to);
    return 0;
}

int RawStream::get_char() {
    if (!Fill()) return -1;
    return buffer_[static_cast<std::size_t>(position_++ - buffer_at_)];
}

char* RawStream::gets(char* out, int size) {
    if (size < 1) return nullptr;
    int n = 0;
    while (n < size - 1) {
        const int c = get_char();
        if (c < 0) break;
        out[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    out[n] = 0;
    return n > 0 ? out : nullptr;
}

// One word of text (as the library's memory stream takes it: up to 24
// characters after any blanks), read by `format`.
int RawStream::scanf_one(const char* format, void* value) {
    int c = get_char();
    while (c >= 0 && IsSpace(c)) c = get_char();
    char word[25] = {};
    for (int n = 0; c >= 0 && !IsSpace(c) && n < 24; c = get_char()) word[n++] = static_cast<char>(c);
    if (c >= 0) --position_;
    return word[0] ? std::sscanf(word, format, value) : EOF;
}

}  // namespace nuthumb
