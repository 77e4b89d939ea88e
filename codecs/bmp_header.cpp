#include "codecs/bmp_header.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "codecs/byte_reader.h"
#include "pixels/load_error.h"

namespace nuthumb {
namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMasksInHeaderSize = 52;  // 40 + red, green, blue masks

[[noreturn]] void Fail(const std::string& reason) { throw LoadError(reason); }

void CheckBitCountAndCompression(std::uint16_t bits, std::uint32_t compression) {
    // Checked first: embedded JPEG or PNG data (4, 5) comes with a bit count of 0.
    if (compression > kCompressionBitFields) Fail("unsupported compression " + std::to_string(compression));
    switch (bits) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: Fail("unsupported bit count " + std::to_string(bits));
    }
    const bool fits = compression == kCompressionNone ||
                      (compression == kCompressionRle8 && bits == 8) ||
                      (compression == kCompressionRle4 && bits == 4) ||
                      (compression == kCompressionBitFields && (bits == 16 || bits == 32));
    if (!fits) {
        Fail("compression " + std::to_string(compression) + " does not fit " +
             std::to_string(bits) + " bits per pixel");
    }
}

// A mask is a run of adjacent bits inside the pixel; anything else has no sound
// expansion to 8 bits. A zero mask is allowed: its channel is 0.
void CheckMask(std::uint32_t mask, std::uint16_t bits, const char* channel) {
    if (mask == 0) return;
    if (bits < 32 && (mask >> bits) != 0) Fail(std::string(channel) + " mask lies outside the pixel");
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    if ((shifted & (shifted + 1)) != 0) Fail(std::string(channel) + " mask bits are not adjacent");
}

void ReadMasks(ByteReader& in, BmpHeader& h) {
    for (auto& m : h.masks) m = in.U32("colour masks");
}

// Checks that `entries` entries of `entry_size` bytes (B, G, R[, 0]) lie in the
// file and reads the ones a pixel index can name; the rest are only skipped. The
// whole table must lie inside the file even where only part of it can be used.
void ReadColourTable(ByteReader& in, std::uint64_t entries, std::size_t entry_size, BmpHeader& h) {
    in.Require(entries * entry_size, "colour table");
    const std::uint64_t usable =
        h.bits_per_pixel > 8 ? 0  // an optional table for display hints only
                             : std::min<std::uint64_t>(entries, std::uint64_t{1} << h.bits_per_pixel);
    const auto table = in.Bytes(static_cast<std::size_t>(usable) * entry_size, "colour table");
    in.Skip((entries - usable) * entry_size, "colour table");
    h.palette.resize(static_cast<std::size_t>(usable));
    for (std::size_t i = 0; i < h.palette.size(); ++i) {
        const std::uint8_t* e = table.data() + i * entry_size;
        h.palette[i] = PaletteEntry{e[0], e[1], e[2], 0};
    }
}

void CheckPlanesBitsCompression(std::uint16_t planes, const BmpHeader& h) {
    if (planes != 1) Fail("planes field is " + std::to_string(planes) + ", not 1");
    CheckBitCountAndCompression(h.bits_per_pixel, h.compression);
}

// The 12-byte core header: 16-bit sizes, no compression, no colour count, so
// the table is full, in 3-byte entries, unless the pixel-data offset says it is
// shorter (such files exist). Returns the height field.
std::int64_t ReadCoreHeader(ByteReader& in, std::uint32_t declared_offset, BmpHeader& h) {
    h.width = in.U16("core header");
    const std::int64_t height = in.U16("core header");
    const std::uint16_t planes = in.U16("core header");
    h.bits_per_pixel = in.U16("core header");
    CheckPlanesBitsCompression(planes, h);
    if (h.bits_per_pixel > 8) return height;
    std::uint64_t entries = std::uint64_t{1} << h.bits_per_pixel;
    const std::uint64_t short_table = (std::uint64_t{declared_offset} - in.position()) / 3;
    if (declared_offset > in.position() && short_table >= 1 && short_table < entries) entries = short_table;
    ReadColourTable(in, entries, 3, h);
    return height;
}

// An info header of 40 bytes or more, its masks and its colour table. Returns
// the height field.
std::int64_t ReadInfoHeader(ByteReader& in, BmpHeader& h) {
    // The whole header must lie in the file before any of its fields is believed.
    const std::uint64_t rest = std::uint64_t{h.header_size} - 4;
    in.Require(rest, "info header");
    const std::uint64_t header_end = in.position() + rest;
    h.width = in.I32("info header");
    const std::int64_t height = in.I32("info header");
    const std::uint16_t planes = in.U16("info header");
    h.bits_per_pixel = in.U16("info header");
    h.compression = in.U32("info header");
    h.image_size = in.U32("info header");
    in.Skip(8, "info header");  // resolution: every BMP written gets 2834
    const std::uint32_t colors_used = in.U32("info header");
    h.colors_important = in.U32("info header");
    CheckPlanesBitsCompression(planes, h);
    const bool bit_fields = h.compression == kCompressionBitFields;
    // V4/V5 and the 52/56-byte variants carry the masks inside the header.
    if (bit_fields && h.header_size >= kMasksInHeaderSize) ReadMasks(in, h);
    in.Skip(header_end - in.position(), "info header");
    if (bit_fields) {
        if (h.header_size == kInfoHeaderSize) {
            ReadMasks(in, h);  // three words right after a plain info header
        } else if (h.header_size < kMasksInHeaderSize) {
            Fail("info header of " + std::to_string(h.header_size) + " bytes cannot hold colour masks");
        }
        CheckMask(h.masks[0], h.bits_per_pixel, "red");
        CheckMask(h.masks[1], h.bits_per_pixel, "green");
        CheckMask(h.masks[2], h.bits_per_pixel, "blue");
    }
    // The header's count of entries, or 2^bits when that is 0 (none above 8 bits).
    std::uint64_t entries = colors_used;
    if (entries == 0 && h.bits_per_pixel <= 8) entries = std::uint64_t{1} << h.bits_per_pixel;
    ReadColourTable(in, entries, 4, h);
    return height;
}

void CheckGeometry(std::int64_t height, std::uint64_t max_pixels, BmpHeader& h) {
    if (h.width <= 0) Fail("width " + std::to_string(h.width) + " is not positive");
    if (height == 0) Fail("height is 0");
    h.top_down = height < 0;
    const std::int64_t rows = height < 0 ? -height : height;  // 64 bits: -INT32_MIN fits
    if (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(rows) > max_pixels ||
        rows > INT32_MAX) {
        Fail("image of " + std::to_string(h.width) + " x " + std::to_string(rows) +
             " pixels exceeds the pixel limit");
    }
    h.height = static_cast<std::int32_t>(rows);
    if (h.top_down && (h.compression == kCompressionRle8 || h.compression == kCompressionRle4)) {
        Fail("run-length-compressed bitmap stored top-down");
    }
}

}  // namespace

LoadError PaletteIndexError(std::uint32_t index, std::size_t entries) {
    return LoadError("palette index " + std::to_string(index) + " beyond the colour table of " +
                     std::to_string(entries) + " entries");
}

std::uint64_t RunLengthEnd(const BmpHeader& h, std::uint64_t file_size) {
    const std::uint64_t rest = file_size - h.pixel_offset;
    return h.pixel_offset + (h.image_size != 0 && h.image_size < rest ? h.image_size : rest);
}

SourceDamage UncompressedDamage(const BmpHeader& h, std::uint64_t file_size) {
    // Within the pixel limit the product stays far below 2^64.
    const std::uint64_t stride = (static_cast<std::uint64_t>(h.width) * h.bits_per_pixel + 31) / 32 * 4;
    const bool cut = stride * static_cast<std::uint64_t>(h.height) > file_size - h.pixel_offset;
    return cut ? SourceDamage::kTruncated : SourceDamage::kNone;
}

Image ImageFormatOf(const BmpHeader& h) {
    Image image;
    image.width = h.width;
    image.height = h.height;
    image.top_down = h.top_down;
    image.bits_per_pixel = h.bits_per_pixel;
    image.compression = h.compression;
    if (h.compression == kCompressionBitFields) image.masks = h.masks;
    image.colors_important = h.colors_important;
    image.palette = h.palette;
    return image;
}

void CheckRowIndices(const std::uint8_t* row, std::int32_t width, unsigned bits, std::size_t entries) {
    const unsigned per_byte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::int32_t x = 0; x < width; ++x) {
        const unsigned shift = 8 - bits * (static_cast<unsigned>(x) % per_byte + 1);
        const unsigned index = (row[static_cast<std::size_t>(x) / per_byte] >> shift) & mask;
        if (index >= entries) throw PaletteIndexError(index, entries);
    }
}

BmpHeader ReadBmpHeader(const ByteSource& file, std::uint64_t max_pixels) {
    ByteReader in(file);
    BmpHeader h;
    if (in.U8("file header") != 'B' || in.U8("file header") != 'M') Fail("not a BMP file (no BM signature)");
    in.Skip(8, "file header");  // file size and reserved words: not needed to decode
    const std::uint32_t declared_offset = in.U32("file header");

    h.header_size = in.U32("info header");
    std::int64_t height = 0;
    if (h.header_size == kCoreHeaderSize) {
        height = ReadCoreHeader(in, declared_offset, h);
    } else if (h.header_size >= kInfoHeaderSize) {
        height = ReadInfoHeader(in, h);
    } else {
        Fail("unsupported info header size " + std::to_string(h.header_size));
    }
    CheckGeometry(height, max_pixels, h);

    // A pixel-data offset that points past the colour table and into the file is
    // believed (files with a gap, or a table longer than the count says); any
    // other offset is a writer's mistake, and the data follows the table.
    const std::uint64_t table_end = in.position();
    h.pixel_offset = (declared_offset >= table_end && declared_offset <= file.size())
                         ? declared_offset
                         : table_end;
    return h;
}

}  // namespace nuthumb
