#pragma once
// Small files that declare huge images: the cheap bombs a hostile folder can hold.
// Built byte by byte, since no encoder would write them.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tests/support/bmp_builder.h"

namespace nuthumb::test {

// Appends bytes one by one (g++ 12 at -O3 warns wrongly about inserting a list).
inline void Append(std::vector<std::uint8_t>& to, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) to.push_back(b);
}

// A 24-bit BMP of width x height whose file ends right after its header: 54 bytes.
inline std::vector<std::uint8_t> HeaderOnlyBitmap(std::int32_t width, std::int32_t height) {
    BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    return bmp.Build();
}

// An RLE8 BMP of width x height (a multiple of 255 wide) filled with runs of 255
// pixels, every row a different colour: about 2 bytes per 255 pixels, so a dense
// stream that must be walked to the end.
inline std::vector<std::uint8_t> DenseRunLengthBitmap(std::int32_t width, std::int32_t height) {
    BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.bits = 8;
    bmp.compression = 1;
    for (int i = 0; i < 256; ++i) bmp.palette.push_back({static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)});
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; x += 255) {
            bmp.pixels.push_back(255);
            bmp.pixels.push_back(static_cast<std::uint8_t>(y));
        }
        Append(bmp.pixels, {0, 0});
    }
    Append(bmp.pixels, {0, 1});
    return bmp.Build();
}

// A progressive YCbCr 4:2:0 JPEG of width x height with `scans` empty AC scans of
// its luma: each scan is a few runs of end-of-band codes, about 250 bytes for
// 16384 x 16384, yet the decoder walks every block of it. The scans are a lawful
// progression (one coefficient at a time, each sent at 13 bits of reduction and
// refined bit by bit: 882 scans) unless `repeat_last`, which sends the last scan
// once more. With `full_chroma` it is 4:4:4 and starts with a DC scan of every
// component (one bit per block), so the decoder fills the coefficients of the
// whole image.
inline std::vector<std::uint8_t> RepeatedScanJpeg(std::uint16_t width, std::uint16_t height, int scans,
                                                  bool full_chroma = false, bool repeat_last = false) {
    std::vector<std::uint8_t> f;
    auto put16 = [&f](unsigned v) {
        f.push_back(static_cast<std::uint8_t>(v >> 8));
        f.push_back(static_cast<std::uint8_t>(v));
    };
    auto marker = [&](std::uint8_t m, unsigned length) {
        f.push_back(0xFF);
        f.push_back(m);
        put16(length);
    };
    Append(f, {0xFF, 0xD8});
    marker(0xDB, 67);  // quantisation table 0: all ones
    f.push_back(0);
    f.insert(f.end(), 64, 1);
    marker(0xC2, 17);  // progressive frame
    f.push_back(8);
    put16(height);
    put16(width);
    Append(f, {3, 1, static_cast<std::uint8_t>(full_chroma ? 0x11 : 0x22), 0, 2, 0x11, 0, 3, 0x11, 0});
    // AC table 0: end-of-band runs of 2^14 + extra bits as "0", the shorter runs
    // 2^0 .. 2^13 as five-bit codes.
    marker(0xC4, 2 + 1 + 16 + 15);
    f.push_back(0x10);
    const std::uint8_t counts[16] = {1, 0, 0, 0, 14};
    f.insert(f.end(), counts, counts + 16);
    f.push_back(0xE0);
    for (std::uint8_t r = 0; r < 14; ++r) f.push_back(static_cast<std::uint8_t>(r << 4));

    const std::uint64_t blocks = std::uint64_t{(width + 7u) / 8u} * ((height + 7u) / 8u);
    if (full_chroma) {
        marker(0xC4, 2 + 1 + 16 + 1);  // DC table 0: difference 0 as the code "0"
        f.push_back(0x00);
        const std::uint8_t dc_counts[16] = {1};
        f.insert(f.end(), dc_counts, dc_counts + 16);
        f.push_back(0);
        marker(0xDA, 12);
        Append(f, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 0, 0x00});
        f.insert(f.end(), static_cast<std::size_t>(blocks * 3 / 8), 0);
        if (blocks * 3 % 8 != 0) f.push_back(static_cast<std::uint8_t>(0xFF >> (blocks * 3 % 8)));
    }
    for (int s = 0; s < scans + (repeat_last ? 1 : 0); ++s) {
        const int n = s < scans ? s : scans - 1;
        const auto coefficient = static_cast<std::uint8_t>(1 + n / 14 % 63);
        const int step = n % 14;  // Ah 0, Al 13; then Ah 13, Al 12; ... Ah 1, Al 0
        const auto approximation = static_cast<std::uint8_t>((step == 0 ? 0 : 14 - step) << 4 | (13 - step));
        marker(0xDA, 8);
        Append(f, {1, 1, 0x00, coefficient, coefficient, approximation});
        std::uint32_t bits = 0;
        int count = 0;
        auto put_bits = [&](std::uint32_t value, int n) {
            for (int i = n - 1; i >= 0; --i) {
                bits = (bits << 1) | ((value >> i) & 1);
                if (++count == 8) {
                    f.push_back(static_cast<std::uint8_t>(bits));
                    if (bits == 0xFF) f.push_back(0);  // byte stuffing
                    bits = 0;
                    count = 0;
                }
            }
        };
        // Long runs of 2^14 + 0x3F7F blocks: no eight one-bits in a row, so no
        // byte needs stuffing.
        for (std::uint64_t left = blocks; left > 0;) {
            const std::uint32_t run = static_cast<std::uint32_t>(left < 0x7F7F ? left : 0x7F7F);
            int r = 0;
            while ((run >> (r + 1)) != 0) ++r;
            if (r == 14) put_bits(0, 1);
            else put_bits(16 + static_cast<std::uint32_t>(r), 5);
            put_bits(run - (1u << r), r);
            left -= run;
        }
        if (count > 0) put_bits(0x7F, 8 - count);  // pad with ones
    }
    Append(f, {0xFF, 0xD9});
    return f;
}

}  // namespace nuthumb::test
