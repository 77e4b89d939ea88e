#pragma once
// Random access to the bytes of a source image, wherever they lie. Decoders read
// only the parts they need through it, so a file is never copied whole just to be
// looked at.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace nuthumb {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // The length the source had when it was opened; no read goes past it.
    virtual std::uint64_t size() const = 0;

    // Copies the bytes from `offset` on into `out`, as many as there are, and
    // returns how many: fewer than out.size() only where the source ends (or a file
    // shrank under the reader). Throws IoError when the bytes cannot be read.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Bytes already in memory (tests, fuzz targets); they must outlive the object.
class MemoryBytes final : public ByteSource {
public:
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - static_cast<std::size_t>(offset));
        if (n > 0) std::memcpy(out.data(), bytes_.data() + offset, n);
        return n;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace nuthumb
