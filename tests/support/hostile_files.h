#pragma once
// Small files that declare huge images: the cheap bombs a hostile folder can hold.
// Built byte by byte, since no encoder would write them.
#include <algorithm>
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

// A HEIF file whose primary item heads a chain of `items` - 1 'iden' items,
// each deriving from the next, the last a 1 x 1 HEVC image without data: at
// 10,000 items (550 KB) Debian's libheif 1.15 takes gigabytes and seconds to
// read it and then overflows its stack.
inline std::vector<std::uint8_t> ItemChainHeif(std::uint16_t items) {
    using Bytes = std::vector<std::uint8_t>;
    const auto u16 = [](Bytes& to, unsigned v) { Append(to, {std::uint8_t(v >> 8), std::uint8_t(v)}); };
    const auto u32 = [&u16](Bytes& to, std::uint32_t v) { u16(to, v >> 16), u16(to, v & 0xFFFF); };
    const auto box = [&u32](const char* type, const Bytes& body, int version = -1) {
        Bytes b;
        u32(b, static_cast<std::uint32_t>(body.size() + (version < 0 ? 8 : 12)));
        b.insert(b.end(), type, type + 4);
        if (version >= 0) u32(b, static_cast<std::uint32_t>(version) << 24);
        b.insert(b.end(), body.begin(), body.end());
        return b;
    };
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const Bytes ftyp = box("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'});
    Bytes hdlr(4, 0), pitm, infes, refs, ipma;
    Append(hdlr, {'p', 'i', 'c', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    u16(pitm, 1);
    u32(ipma, items);
    for (unsigned i = 1; i <= items; ++i) {
        Bytes infe;
        u16(infe, i), u16(infe, 0);
        Append(infe, {'i', 'd', 'e', 'n', 0});
        if (i == items) std::copy_n("hvc1", 4, infe.end() - 5);
        // Appended in place: joining copies would make the 10,000-item chain quadratic.
        const Bytes infe_box = box("infe", infe, 2);
        infes.insert(infes.end(), infe_box.begin(), infe_box.end());
        Bytes dimg;
        u16(dimg, i), u16(dimg, 1), u16(dimg, i + 1);
        if (i < items) {
            const Bytes dimg_box = box("dimg", dimg);
            refs.insert(refs.end(), dimg_box.begin(), dimg_box.end());
        }
        u16(ipma, i);  // every item is 1 x 1 (ispe); the last also has its HEVC setup
        if (i < items) Append(ipma, {1, 0x81});
        else Append(ipma, {2, 0x81, 0x82});
    }
    Bytes iinf, ispe, hvcc = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0, 0xFC, 0xFD, 0xF8, 0xF8, 0, 0, 0x0F, 0};
    u16(iinf, items);
    iinf.insert(iinf.end(), infes.begin(), infes.end());
    u32(ispe, 1), u32(ispe, 1);
    const Bytes ipco = box("ipco", join({box("ispe", ispe, 0), box("hvcC", hvcc)}));
    const Bytes iprp = box("iprp", join({ipco, box("ipma", ipma, 0)}));
    // Every item's data lies in the mdat: none for the derived ones, 4 bytes for the last.
    const auto meta = [&](std::uint32_t data_at) {
        Bytes iloc = {0x44, 0x00};
        u16(iloc, items);
        for (unsigned i = 1; i <= items; ++i) {
            u16(iloc, i), u16(iloc, 0), u16(iloc, 0), u16(iloc, 1);
            u32(iloc, data_at), u32(iloc, i < items ? 0 : 4);
        }
        return box("meta", join({box("hdlr", hdlr, 0), box("pitm", pitm, 0), box("iloc", iloc, 1),
                                  box("iinf", iinf, 0), box("iref", refs, 0), iprp}), 0);
    };
    const std::size_t meta_size = meta(0).size();
    return join({ftyp, meta(static_cast<std::uint32_t>(ftyp.size() + meta_size + 8)), box("mdat", Bytes(4, 0))});
}

}  // namespace nuthumb::test
