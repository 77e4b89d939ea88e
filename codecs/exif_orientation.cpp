#include "codecs/exif_orientation.h"

#include <cstring>

namespace nuthumb {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kEntryBytes = 12;

// A TIFF block's fields in its own byte order; reads past the end give nothing.
class TiffFields {
public:
    TiffFields(std::span<const std::uint8_t> bytes, bool big_endian) : bytes_(bytes), big_endian_(big_endian) {}

    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint16_t U16(std::size_t offset) const {
        const std::uint8_t* p = bytes_.data() + offset;
        return static_cast<std::uint16_t>(big_endian_ ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const {
        const std::uint32_t a = U16(offset), b = U16(offset + 2);
        return big_endian_ ? (a << 16) | b : a | (b << 16);
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool big_endian_;
};

constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

}  // namespace

bool IsExifPayload(std::span<const std::uint8_t> app1_payload) {
    return app1_payload.size() >= sizeof kExifHeader &&
           std::memcmp(app1_payload.data(), kExifHeader, sizeof kExifHeader) == 0;
}

Orientation ExifOrientation(std::span<const std::uint8_t> app1_payload) {
    if (!IsExifPayload(app1_payload)) return 1;
    const std::span<const std::uint8_t> tiff = app1_payload.subspan(sizeof kExifHeader);
    if (tiff.size() < 8) return 1;
    bool big_endian;
    if (tiff[0] == 'I' && tiff[1] == 'I') big_endian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M') big_endian = true;
    else return 1;
    const TiffFields fields(tiff, big_endian);
    if (fields.U16(2) != 42) return 1;

    const std::uint64_t ifd = fields.U32(4);
    if (!fields.Holds(ifd, 2)) return 1;
    const std::uint16_t count = fields.U16(static_cast<std::size_t>(ifd));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t entry = ifd + 2 + i * kEntryBytes;
        if (!fields.Holds(entry, kEntryBytes)) return 1;
        const auto at = static_cast<std::size_t>(entry);
        if (fields.U16(at) != kOrientationTag) continue;
        // A SHORT with a count of 1 lies in the entry's value field itself.
        if (fields.U16(at + 2) != kTypeShort || fields.U32(at + 4) != 1) return 1;
        const std::uint16_t value = fields.U16(at + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

}  // namespace nuthumb
