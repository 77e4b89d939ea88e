#pragma once
// The one way the BMP reader looks at file bytes: little-endian fields read in
// order, each read checked against what is left, so no header can point past the
// end of the file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/load_error.h"

namespace nuthumb {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }

    // Each read names what it is reading, so that a short file says which part
    // is missing.
    std::uint8_t U8(const char* what) { return Take(1, what)[0]; }
    std::uint16_t U16(const char* what) {
        const auto b = Take(2, what);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::uint32_t U32(const char* what) {
        const auto b = Take(4, what);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t I32(const char* what) { return static_cast<std::int32_t>(U32(what)); }

    // The next `count` bytes; throws when the file holds fewer.
    std::span<const std::uint8_t> Take(std::uint64_t count, const char* what) {
        if (count > remaining()) {
            throw LoadError(std::string("file ends inside the ") + what);
        }
        const auto part = data_.subspan(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return part;
    }
    void Skip(std::uint64_t count, const char* what) { Take(count, what); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace nuthumb
