#pragma once
// LibRaw reads a source through this stream, a chunk at a time and only the
// parts it asks for, never the whole file. No exception may cross the library:
// a read failure or a stop request is kept, LibRaw is asked to cancel, and the
// decode throws it once the library has returned.
#include <libraw/libraw.h>

#include <cstdint>
#include <exception>
#include <mutex>
#include <vector>

#include "pixels/decode_options.h"
#include "platform/byte_source.h"

namespace nuthumb {

class RawStream final : public LibRaw_abstract_datastream {
public:
    // `source` and `options` must outlive the stream.
    RawStream(const ByteSource& source, const DecodeOptions& options) : source_(source), options_(options) {}
    // The library that reads through the stream, asked to cancel when it must
    // stop; it must not outlive the stream.
    void Serve(LibRaw& owner) { owner_ = &owner; }

    int valid() override { return 1; }
    int read(void* out, size_t size, size_t count) override;
    int seek(INT64 offset, int whence) override;
    INT64 tell() override { return static_cast<INT64>(position_); }
    INT64 size() override { return static_cast<INT64>(source_.size()); }
    int get_char() override;
    char* gets(char* out, int size) override;
    int scanf_one(const char* format, void* value) override;
    int eof() override { return position_ >= source_.size() ? 1 : 0; }
    void* make_jas_stream() override { return nullptr; }
    // Decoders that read tiles on several threads hold this around each seek
    // and read: the stream has one position and one buffer.
    int lock() override {
        mutex_.lock();
        return 1;
    }
    void unlock() override { mutex_.unlock(); }

    // Rethrows what stopped the library: the source's IoError, or
    // DecodeCancelled when the options asked to stop.
    void ThrowIfStopped() const;

private:
    // Makes the chunk that holds `position_` the buffered one; false at the end
    // of the source or when reading failed.
    bool Fill();
    void Stop(std::exception_ptr why);

    const ByteSource& source_;
    const DecodeOptions& options_;
    LibRaw* owner_ = nullptr;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t buffer_at_ = 0;  // where the buffered chunk starts in the source
    std::uint64_t position_ = 0;
    std::exception_ptr stopped_;
    std::mutex mutex_;
};

}  // namespace nuthumb
