#pragma once
// The one way the BMP reader looks at file bytes: little-endian fields read in
// order, each read checked against what is left, so no header can point past the
// end of the file. Only the bytes asked for are read; a part that is merely
// skipped is checked to lie inside the file, never fetched.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pixels/load_error.h"
#include "platform/byte_source.h"

namespace nuthumb {

class ByteReader {
public:
    explicit ByteReader(const ByteSource& source) : source_(source), size_(source.size()) {}

    std::uint64_t position() const { return pos_; }
    std::uint64_t remaining() const { return size_ - pos_; }

    // Each read names what it is reading, so that a short file says which part
    // is missing.
    std::uint8_t U8(const char* what) { return Field<1>(what)[0]; }
    std::uint16_t U16(const char* what) {
        const auto b = Field<2>(what);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::uint32_t U32(const char* what) {
        const auto b = Field<4>(what);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t I32(const char* what) { return static_cast<std::int32_t>(U32(what)); }

    // The next `count` bytes; the caller keeps `count` small. Throws when the file
    // holds fewer.
    std::vector<std::uint8_t> Bytes(std::size_t count, const char* what) {
        Require(count, what);
        std::vector<std::uint8_t> out(count);
        Fetch(out.data(), count, what);
        return out;
    }
    // Throws unless `count` more bytes lie in the file; reads nothing.
    void Require(std::uint64_t count, const char* what) const {
        if (count > remaining()) throw LoadError(std::string("file ends inside the ") + what);
    }
    void Skip(std::uint64_t count, const char* what) {
        Require(count, what);
        pos_ += count;
    }

private:
    template <std::size_t N>
    std::array<std::uint8_t, N> Field(const char* what) {
        Require(N, what);
        std::array<std::uint8_t, N> out{};
        Fetch(out.data(), N, what);
        return out;
    }
    // A file that shrank under the reader reads short; that is a cut file too.
    void Fetch(std::uint8_t* out, std::size_t count, const char* what) {
        if (source_.ReadAt(pos_, {out, count}) != count) throw LoadError(std::string("file ends inside the ") + what);
        pos_ += count;
    }

    const ByteSource& source_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
};

}  // namespace nuthumb
