#pragma once
// The headers of a BMP file (file header, core or info header, colour masks and
// colour table), read and checked field by field.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixels/image.h"
#include "pixels/load_error.h"
#include "pixels/source_damage.h"
#include "platform/byte_source.h"

namespace nuthumb {

inline constexpr std::uint32_t kCompressionNone = 0;
inline constexpr std::uint32_t kCompressionRle8 = 1;
inline constexpr std::uint32_t kCompressionRle4 = 2;
inline constexpr std::uint32_t kCompressionBitFields = 3;

struct BmpHeader {
    std::uint32_t header_size = 0;  // 12 for the core header; 40, 52, 56, 108, 124 …
    std::int32_t width = 0;         // > 0
    std::int32_t height = 0;        // > 0; the sign of the file's field is in top_down
    bool top_down = false;
    std::uint16_t bits_per_pixel = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t image_size = 0;  // the header's biSizeImage, 0 when not given
    std::uint32_t colors_important = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue; only for bit fields
    // For 8 bits per pixel or fewer: the entries a pixel index may name (at most
    // 2^bits, however long the file's table is). Empty above 8 bits.
    std::vector<PaletteEntry> palette;
    std::uint64_t pixel_offset = 0;  // where the pixel data begins in the file
};

// The refusal of a pixel index that names no entry of the colour table.
LoadError PaletteIndexError(std::uint32_t index, std::size_t entries);

// Where the run-length stream ends: after the header's image size when the file
// holds that much, else at the end of the file.
std::uint64_t RunLengthEnd(const BmpHeader& h, std::uint64_t file_size);

// kTruncated when the file ends before the uncompressed pixel data the header
// describes.
SourceDamage UncompressedDamage(const BmpHeader& h, std::uint64_t file_size);

// The image a header describes, without pixels: size, row order, format, palette.
Image ImageFormatOf(const BmpHeader& h);

// Throws PaletteIndexError for the first of `width` packed indices of `bits` (1, 4
// or 8) bits in `row` that names no entry of a table of `entries`.
void CheckRowIndices(const std::uint8_t* row, std::int32_t width, unsigned bits, std::size_t entries);

// Reads and validates everything before the pixel data of a non-empty file. Throws
// LoadError naming the first field that is missing, impossible or unsupported, or
// when width x height exceeds `max_pixels`; nothing large is allocated before.
BmpHeader ReadBmpHeader(const ByteSource& file, std::uint64_t max_pixels);

}  // namespace nuthumb
