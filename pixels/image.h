#pragma once
// The in-memory bitmap that flows from a decoder through the scaler to a writer.
#include <array>
#include <cstdint>
#include <vector>

#include "pixels/source_damage.h"

namespace nuthumb {

struct PaletteEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
};

// Pixel rows as a BMP file holds them: each row padded to a multiple of 4 bytes,
// stored in the order `top_down` says (false: bottom row first, as in most BMPs).
struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;         // always >= 0; the row order is in top_down
    bool top_down = false;
    std::uint16_t bits_per_pixel = 0;  // 1, 4, 8, 16, 24 or 32
    std::uint32_t compression = 0;     // 0 plain, 3 bit fields (masks valid)
    // Plain 32-bit pixels are B,G,R,A (straight, not premultiplied) instead of
    // B,G,R,x. Only the PNG, WebP and HEIF decoders set it; a BMP's fourth byte
    // is never taken as alpha.
    bool alpha = false;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue for compression 3
    std::uint32_t colors_important = 0;    // kept for an unscaled BMP copy
    std::vector<PaletteEntry> palette;     // for 8 bits per pixel or fewer
    std::vector<std::uint8_t> pixels;      // stride() * height bytes

    // For a run-length-compressed BMP source: the file's bytes as read, which an
    // unscaled BMP copy writes back (with the resolution fields set). The pixels
    // above then hold the expanded 32-bit image.
    std::vector<std::uint8_t> file_bytes;

    // Pixels the file did not hold (zero, or grey from the JPEG decoder).
    SourceDamage damage = SourceDamage::kNone;

    // Bytes per stored row: (width * bits + 31) / 32 * 4. Only valid for sizes the
    // loaders have checked against the pixel limit.
    std::size_t stride() const {
        return (static_cast<std::size_t>(width) * bits_per_pixel + 31) / 32 * 4;
    }
    // Row y counted from the top, whatever the stored order.
    std::uint8_t* row_from_top(std::int32_t y) {
        const std::int32_t stored = top_down ? y : height - 1 - y;
        return pixels.data() + static_cast<std::size_t>(stored) * stride();
    }
    const std::uint8_t* row_from_top(std::int32_t y) const {
        return const_cast<Image*>(this)->row_from_top(y);
    }
    bool empty() const { return width == 0 || height == 0; }
};

// No source or thumbnail may have more pixels than this; checked before any
// allocation so a lying header cannot ask for gigabytes.
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

}  // namespace nuthumb
