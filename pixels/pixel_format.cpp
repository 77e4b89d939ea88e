#include "pixels/pixel_format.h"

#include <algorithm>
#include <bit>

namespace nuthumb {
namespace {

constexpr std::array<std::uint32_t, 3> kMasks555 = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kTableBitLimit = 16;

std::uint32_t LoadLe(const std::uint8_t* p, int bytes) {
    return bytes == 2 ? static_cast<std::uint32_t>(p[0] | (p[1] << 8))
                      : static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Pixels that already hold B, G, R in their first three bytes.
void CopyBgr(const std::uint8_t* row, std::size_t bytes_per_pixel, std::size_t width, std::uint8_t* out) {
    for (std::size_t x = 0; x < width; ++x, row += bytes_per_pixel, out += 4) {
        out[0] = row[0];
        out[1] = row[1];
        out[2] = row[2];
        out[3] = 0;
    }
}

}  // namespace

std::uint8_t BgrxRowExpander::Channel::Scale(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel & mask) >> shift;
    if (!table.empty()) return table[v];
    if (max == 0) return 0;
    return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max / 2) / max);
}

BgrxRowExpander::BgrxRowExpander(const Image& image) : image_(image) {
    const std::size_t entries = std::min<std::size_t>(image.palette.size(), colors_.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const PaletteEntry& c = image.palette[i];
        colors_[i] = c.blue | (std::uint32_t{c.green} << 8) | (std::uint32_t{c.red} << 16);
    }
    if (image.bits_per_pixel != 16 && image.bits_per_pixel != 32) return;
    const bool bit_fields = image.compression == 3;
    if (!bit_fields && image.bits_per_pixel == 32) return;  // plain B, G, R, x bytes
    const auto& masks = bit_fields ? image.masks : kMasks555;
    for (std::size_t c = 0; c < 3; ++c) {
        Channel& ch = channels_[c];
        ch.mask = masks[c];
        if (ch.mask == 0) continue;
        ch.shift = std::countr_zero(ch.mask);
        // The loader refuses masks with gaps; counting the bits keeps a gap
        // from reaching past the table in any case.
        const int bits = std::popcount(ch.mask);
        ch.mask = bits == 32 ? ~0u : ((1u << bits) - 1) << ch.shift;
        ch.max = bits == 32 ? ~0u : (1u << bits) - 1;
        if (static_cast<std::uint32_t>(bits) <= kTableBitLimit) {
            ch.table.resize(std::size_t{ch.max} + 1);
            for (std::uint32_t v = 0; v <= ch.max; ++v) {
                ch.table[v] = static_cast<std::uint8_t>((v * 255 + ch.max / 2) / ch.max);
            }
        }
    }
}

void BgrxRowExpander::Expand(std::int32_t y_from_top, std::uint8_t* out) const {
    ExpandRow(image_.row_from_top(y_from_top), out);
}

void BgrxRowExpander::ExpandRow(const std::uint8_t* row, std::uint8_t* out) const {
    const std::size_t width = static_cast<std::size_t>(image_.width);
    switch (image_.bits_per_pixel) {
        case 24:
            CopyBgr(row, 3, width, out);
            return;
        case 32:
            if (image_.compression != 3) {
                CopyBgr(row, 4, width, out);
                return;
            }
            [[fallthrough]];
        case 16:
            ExpandMasked(row, out);
            return;
        default:
            ExpandIndexed(row, out);
            return;
    }
}

void BgrxRowExpander::ExpandIndexed(const std::uint8_t* row, std::uint8_t* out) const {
    const unsigned bits = image_.bits_per_pixel;
    const unsigned per_byte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::int32_t x = 0; x < image_.width; ++x, out += 4) {
        const unsigned ux = static_cast<unsigned>(x);
        const unsigned index = (row[ux / per_byte] >> (8 - bits * (ux % per_byte + 1))) & mask;
        const std::uint32_t c = colors_[index];
        out[0] = static_cast<std::uint8_t>(c);
        out[1] = static_cast<std::uint8_t>(c >> 8);
        out[2] = static_cast<std::uint8_t>(c >> 16);
        out[3] = 0;
    }
}

void BgrxRowExpander::ExpandMasked(const std::uint8_t* row, std::uint8_t* out) const {
    const int bytes = image_.bits_per_pixel / 8;
    for (std::int32_t x = 0; x < image_.width; ++x, row += bytes, out += 4) {
        const std::uint32_t pixel = LoadLe(row, bytes);
        out[0] = channels_[2].Scale(pixel);
        out[1] = channels_[1].Scale(pixel);
        out[2] = channels_[0].Scale(pixel);
        out[3] = 0;
    }
}

}  // namespace nuthumb
