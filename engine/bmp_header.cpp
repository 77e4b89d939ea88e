#include "engine/bmp_header.h"

#include <bit>
#include <string>

#include "engine/byte_reader.h"
#include "engine/load_error.h"

namespace nuthumb {
namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMasksInHeaderSize = 52;  // 40 + red, green, blue masks

[[noreturn]] void Fail(const std::string& reason) { throw LoadError(reason); }

void CheckBitCountAndCompression(std::uint16_t bits, std::uint32_t compression) {
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

}  // namespace

BmpHeader ReadBmpHeader(std::span<const std::uint8_t> file, std::uint64_t max_pixels) {
    ByteReader in(file);
    BmpHeader h;

    if (in.U8("file header") != 'B' || in.U8("file header") != 'M') Fail("not a BMP file (no BM signature)");
    in.Skip(8, "file header");  // file size and reserved words: not needed to decode
    const std::uint32_t declared_offset = in.U32("file header");

    h.header_size = in.U32("info header");
    std::int64_t height = 0;
    std::uint16_t planes = 0;
    if (h.header_size == kCoreHeaderSize) {
        h.width = in.U16("core header");
        height = in.U16("core header");
        planes = in.U16("core header");
        h.bits_per_pixel = in.U16("core header");
    } else if (h.header_size >= kInfoHeaderSize) {
        // Read the whole header first so that a header longer than the file fails
        // here, before any of its fields is believed.
        ByteReader info(in.Take(std::uint64_t{h.header_size} - 4, "info header"));
        h.width = info.I32("info header");
        height = info.I32("info header");
        planes = info.U16("info header");
        h.bits_per_pixel = info.U16("info header");
        h.compression = info.U32("info header");
        h.image_size = info.U32("info header");
        info.Skip(8, "info header");  // resolution: every BMP written gets 2834
        const std::uint32_t colors_used = info.U32("info header");
        h.colors_important = info.U32("info header");
        if (h.compression == kCompressionBitFields) {
            if (h.header_size >= kMasksInHeaderSize) {
                ReadMasks(info, h);  // V4/V5 and the 52/56-byte variants carry them
            } else if (h.header_size == kInfoHeaderSize) {
                ReadMasks(in, h);  // three words right after a plain info header
            } else {
                Fail("info header of " + std::to_string(h.header_size) + " bytes cannot hold colour masks");
            }
        }
        if (planes != 1) Fail("planes field is " + std::to_string(planes) + ", not 1");
        CheckBitCountAndCompression(h.bits_per_pixel, h.compression);

        // The table has the header's count of entries, or 2^bits when that is 0
        // (none above 8 bits). It must lie inside the file even where only part of
        // it can be used.
        std::uint64_t entries = colors_used;
        if (entries == 0 && h.bits_per_pixel <= 8) entries = std::uint64_t{1} << h.bits_per_pixel;
        const auto table = in.Take(entries * 4, "colour table");
        if (h.bits_per_pixel <= 8) {
            const std::uint64_t usable = std::min<std::uint64_t>(entries, std::uint64_t{1} << h.bits_per_pixel);
            h.palette.resize(static_cast<std::size_t>(usable));
            for (std::size_t i = 0; i < h.palette.size(); ++i) {
                h.palette[i] = PaletteEntry{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0};
            }
        }
    } else {
        Fail("unsupported info header size " + std::to_string(h.header_size));
    }

    if (h.header_size == kCoreHeaderSize) {
        if (planes != 1) Fail("planes field is " + std::to_string(planes) + ", not 1");
        CheckBitCountAndCompression(h.bits_per_pixel, h.compression);
        if (h.bits_per_pixel <= 8) {
            // The core header has no colour count: the table is always full, in
            // 3-byte entries.
            h.palette.resize(std::size_t{1} << h.bits_per_pixel);
            const auto table = in.Take(h.palette.size() * 3, "colour table");
            for (std::size_t i = 0; i < h.palette.size(); ++i) {
                h.palette[i] = PaletteEntry{table[3 * i], table[3 * i + 1], table[3 * i + 2], 0};
            }
        }
    }

    if (h.compression == kCompressionBitFields) {
        CheckMask(h.masks[0], h.bits_per_pixel, "red");
        CheckMask(h.masks[1], h.bits_per_pixel, "green");
        CheckMask(h.masks[2], h.bits_per_pixel, "blue");
    }

    if (h.width <= 0) Fail("width " + std::to_string(h.width) + " is not positive");
    if (height == 0) Fail("height is 0");
    h.top_down = height < 0;
    const std::int64_t rows = height < 0 ? -height : height;  // 64 bits: -INT32_MIN fits
    if (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(rows) > max_pixels) {
        Fail("image of " + std::to_string(h.width) + " x " + std::to_string(rows) +
             " pixels exceeds the pixel limit");
    }
    h.height = static_cast<std::int32_t>(rows);
    if (h.top_down && (h.compression == kCompressionRle8 || h.compression == kCompressionRle4)) {
        Fail("run-length-compressed bitmap stored top-down");
    }

    // A pixel-data offset that points past the colour table and into the file is
    // believed (files with a gap, or a table longer than the count says); any
    // other offset is a writer's mistake, and the data follows the table.
    const std::size_t table_end = in.position();
    h.pixel_offset = (declared_offset >= table_end && declared_offset <= file.size())
                         ? declared_offset
                         : table_end;
    return h;
}

}  // namespace nuthumb
