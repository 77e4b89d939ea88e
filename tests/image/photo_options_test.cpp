// The photo options: EXIF orientation, the area filter and the JPEG quality, each
// against a reference written the plain way.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "codecs/exif_orientation.h"
#include "image/geometry.h"
#include "image/load_thumbnail.h"
#include "tests/image/image_rows.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/jpeg_file.h"
#include "codecs/jpeg_encoder.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An APP1 payload: "Exif\0\0", a TIFF header in `order` and IFD0 holding `entries`
// (tag, type, count, value as a 16-bit number in the value field).
struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::uint16_t value;
};
Bytes ExifPayload(bool big_endian, const std::vector<Entry>& entries, std::uint32_t ifd_offset = 8) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = big_endian ? 8 * (bytes - 1 - i) : 8 * i;
            b.push_back(static_cast<std::uint8_t>(v >> shift));
        }
    };
    b.push_back(big_endian ? 'M' : 'I');
    b.push_back(big_endian ? 'M' : 'I');
    put(42, 2);
    put(ifd_offset, 4);
    put(static_cast<std::uint32_t>(entries.size()), 2);
    for (const Entry& e : entries) {
        put(e.tag, 2), put(e.type, 2), put(e.count, 4), put(e.value, 2), put(0, 2);
    }
    put(0, 4);
    return b;
}
Bytes OrientationPayload(int value, bool big_endian = false) {
    return ExifPayload(big_endian, {{0x010F, 2, 4, 0x6143}, {0x0112, 3, 1, static_cast<std::uint16_t>(value)}});
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrdersAndRefusesEverythingUnsound) {
    for (int value = 1; value <= 8; ++value) {
        EXPECT_EQ(ExifOrientation(OrientationPayload(value, false)), value);
        EXPECT_EQ(ExifOrientation(OrientationPayload(value, true)), value);
    }
    struct Row {
        const char* name;
        Bytes payload;
    };
    Bytes not_exif = OrientationPayload(6);
    not_exif[0] = 'e';
    Bytes bad_order = OrientationPayload(6);
    bad_order[6] = 'I', bad_order[7] = 'M';
    Bytes bad_magic = OrientationPayload(6);
    bad_magic[8] = 43;
    // The count says 3; the third entry, the orientation, is cut off.
    Bytes too_many_entries = ExifPayload(false, {{0x010F, 2, 4, 1}, {0x0110, 2, 4, 1}, {0x0112, 3, 1, 6}});
    too_many_entries.resize(too_many_entries.size() - 4 - 6);
    const Row rows[] = {
        {"empty", {}},
        {"not Exif", not_exif},
        {"byte order mixed", bad_order},
        {"magic not 42", bad_magic},
        {"IFD past the end", ExifPayload(false, {{0x0112, 3, 1, 6}}, 4000)},
        {"IFD offset wraps", ExifPayload(false, {{0x0112, 3, 1, 6}}, 0xFFFFFFFF)},
        {"entries past the end", too_many_entries},
        {"type LONG", ExifPayload(false, {{0x0112, 4, 1, 6}})},
        {"count 2", ExifPayload(false, {{0x0112, 3, 2, 6}})},
        {"value 0", ExifPayload(false, {{0x0112, 3, 1, 0}})},
        {"value 9", ExifPayload(true, {{0x0112, 3, 1, 9}})},
        {"no orientation", ExifPayload(true, {{0x010F, 2, 4, 1}})},
    };
    for (const Row& row : rows) EXPECT_EQ(ExifOrientation(row.payload), 1) << row.name;
    // Every cut of a sound payload is read without a byte past its end (the
    // sanitizer build checks) and gives 1 or the tag.
    const Bytes whole = OrientationPayload(7, true);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const int got = ExifOrientation(cut);
        EXPECT_TRUE(got == 1 || got == 7) << n;
    }
}

// The file with an APP1 segment right after its start marker.
Bytes WithApp1(const Bytes& jpeg, const Bytes& payload) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    const std::size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

TEST(ExifOrientation, TheExifBlockDecidesWhateverApp1BlockComesFirstAndOnlyWhenAsked) {
    const std::string xmp_text = "http://ns.adobe.com/xap/1.0/";
    const Bytes xmp(xmp_text.begin(), xmp_text.end());
    const Bytes file = WithApp1(WithApp1(test::MakeTestJpeg(16, 8, ""), OrientationPayload(6, true)), xmp);
    const MemoryBytes bytes(file);
    test::JpegFile asked, not_asked;
    asked.ReadHeader(bytes, {}, true);
    not_asked.ReadHeader(bytes, {}, false);
    EXPECT_EQ(asked->orientation(), 6);
    EXPECT_EQ(not_asked->orientation(), 1);
}

Image Load(const Bytes& file, ImageFormat format, const Conversion& conversion) {
    const MemoryBytes bytes(file);
    return test::LoadImage(bytes, format, conversion, {});
}

Conversion Photo(std::int32_t size, Basis basis, bool resize, PhotoOptions photo) {
    Conversion c{ImageFormat::kJpeg, size, basis, resize};
    c.photo = photo;
    return c;
}

// The image as shown, pixel by pixel, from the standard's eight cases.
std::vector<std::uint32_t> Shown(const std::vector<std::uint32_t>& stored, int w, int h, int orientation) {
    const bool swap = orientation >= 5;
    const int sw = swap ? h : w, sh = swap ? w : h;
    std::vector<std::uint32_t> out;
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < sw; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;
                case 4: sy = h - 1 - y; break;
                case 5: sx = y, sy = x; break;
                case 6: sx = y, sy = h - 1 - x; break;
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;
                case 8: sx = w - 1 - y, sy = x; break;
                default: break;
            }
            out.push_back(stored[static_cast<std::size_t>(sy) * w + sx]);
        }
    }
    return out;
}

std::int32_t Pick(std::int32_t d, std::int32_t n, std::int32_t dn) {
    return static_cast<std::int32_t>((2 * std::int64_t{d} + 1) * n / (2 * std::int64_t{dn}));
}

class Orientations : public testing::TestWithParam<int> {};

// Rotate or flip the full decode, then scale: every basis, shrinking and
// enlarging, 4:2:0 (rows skipped while decoding) and 4:4:4; and the copy.
TEST_P(Orientations, ThumbnailIsTheScaledImageAsShown) {
    const int orientation = GetParam();
    for (const char* sampling : {"-sample 2x2", "-sample 1x1 -progressive"}) {
        const Bytes plain = test::MakeTestJpeg(45, 29, sampling);
        const Bytes file = WithApp1(plain, OrientationPayload(orientation, orientation % 2 == 0));
        test::JpegFile full;
        full.ReadHeader(plain);
        const std::vector<std::uint32_t> shown = Shown(test::RgbFromTop(full->DecodeImage()), 45, 29, orientation);
        const std::int32_t sw = orientation >= 5 ? 29 : 45, sh = orientation >= 5 ? 45 : 29;

        const Image copy = Load(file, ImageFormat::kJpeg, Photo(50, Basis::kHeight, false, {true}));
        EXPECT_EQ(copy.width, sw);
        EXPECT_EQ(test::RgbFromTop(copy), shown) << sampling;
        for (const Basis basis : {Basis::kHeight, Basis::kWidth, Basis::kLarger}) {
            for (const std::int32_t size : {20, 70}) {
                const auto size_shown = ScaledSize(sw, sh, size, EffectiveBasisOf(true, basis, sw, sh));
                ASSERT_TRUE(size_shown);
                std::vector<std::uint32_t> expected;
                for (std::int32_t y = 0; y < size_shown->height; ++y)
                    for (std::int32_t x = 0; x < size_shown->width; ++x)
                        expected.push_back(shown[static_cast<std::size_t>(Pick(y, sh, size_shown->height)) * sw +
                                                 Pick(x, sw, size_shown->width)]);
                const Image thumb = Load(file, ImageFormat::kJpeg, Photo(size, basis, true, {true}));
                EXPECT_EQ(thumb.width, size_shown->width);
                EXPECT_EQ(test::RgbFromTop(thumb), expected) << sampling << " basis " << int(basis) << " size " << size;
                // Off, the tag is not looked at.
                EXPECT_EQ(Load(file, ImageFormat::kJpeg, Photo(size, basis, true, {})).pixels,
                          Load(plain, ImageFormat::kJpeg, Photo(size, basis, true, {})).pixels);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientations, testing::Range(1, 9));

// The box filter over the exact spans, the plain way: every source pixel weighted
// by its overlap with the target pixel, in units of 1/(dw dh) of a pixel.
std::vector<std::uint32_t> ReferenceBox(const std::vector<std::uint32_t>& rgb, std::int64_t sw, std::int64_t sh,
                                        std::int64_t dw, std::int64_t dh) {
    auto overlap = [](std::int64_t s, std::int64_t d, std::int64_t source, std::int64_t target) {
        return std::max<std::int64_t>(0, std::min((s + 1) * target, (d + 1) * source) - std::max(s * target, d * source));
    };
    std::vector<std::uint32_t> out;
    for (std::int64_t dy = 0; dy < dh; ++dy) {
        for (std::int64_t dx = 0; dx < dw; ++dx) {
            std::uint64_t sums[3] = {};
            for (std::int64_t sy = 0; sy < sh; ++sy)
                for (std::int64_t sx = 0; sx < sw; ++sx) {
                    const auto weight = static_cast<std::uint64_t>(overlap(sx, dx, sw, dw) * overlap(sy, dy, sh, dh));
                    const std::uint32_t p = rgb[static_cast<std::size_t>(sy * sw + sx)];
                    for (int c = 0; c < 3; ++c) sums[c] += weight * ((p >> (8 * c)) & 0xFF);
                }
            const auto total = static_cast<std::uint64_t>(sw * sh);
            std::uint32_t pixel = 0;
            for (int c = 0; c < 3; ++c) pixel |= static_cast<std::uint32_t>((sums[c] + total / 2) / total) << (8 * c);
            out.push_back(pixel);
        }
    }
    return out;
}

struct AreaRow {
    const char* name;
    std::int32_t width, height;  // negative height: top-down
    std::uint16_t bits;
    std::uint32_t compression;
    std::int32_t size;
    Basis basis;
};

class AreaOfBitmaps : public testing::TestWithParam<AreaRow> {};

TEST_P(AreaOfBitmaps, EqualsTheReferenceBoxFilter) {
    const AreaRow& row = GetParam();
    test::BmpBuilder b;
    b.width = row.width, b.height = row.height, b.bits = row.bits, b.compression = row.compression;
    const std::int32_t h = std::abs(row.height);
    std::uint32_t noise = 99;
    auto next = [&] { return (noise = noise * 1103515245u + 12345u) >> 16; };
    if (row.bits <= 8)
        for (int i = 0; i < (1 << row.bits); ++i)
            b.palette.push_back({static_cast<std::uint8_t>(next()), static_cast<std::uint8_t>(next()),
                                 static_cast<std::uint8_t>(i * 255 / ((1 << row.bits) - 1))});
    if (row.compression == 1) {  // RLE8: every pixel a run of one, each row ended, then the image
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < row.width; ++x) b.pixels.insert(b.pixels.end(), {1, static_cast<std::uint8_t>(next())});
            b.pixels.insert(b.pixels.end(), {0, 0});
        }
        b.pixels.insert(b.pixels.end(), {0, 1});
    } else {
        const std::size_t stride = (static_cast<std::size_t>(row.width) * row.bits + 31) / 32 * 4;
        for (std::size_t i = 0; i < stride * h; ++i) b.pixels.push_back(static_cast<std::uint8_t>(next()));
    }
    const Bytes file = b.Build();
    const Image whole = Load(file, ImageFormat::kBmp, Photo(1, Basis::kHeight, false, {}));
    const Image thumb = Load(file, ImageFormat::kBmp, Photo(row.size, row.basis, true, {false, 90, ScaleFilter::kArea}));
    EXPECT_EQ(test::RgbFromTop(thumb), ReferenceBox(test::RgbFromTop(whole), row.width, h, thumb.width, thumb.height));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AreaOfBitmaps,
    testing::Values(AreaRow{"Shrink24", 67, 41, 24, 0, 30, Basis::kHeight},
                    AreaRow{"Enlarge24TopDown", 7, -5, 24, 0, 45, Basis::kWidth},
                    AreaRow{"UnevenBothWays32", 61, 13, 32, 0, 30, Basis::kLarger},
                    AreaRow{"OneBitAverages", 40, 33, 1, 0, 30, Basis::kHeight},
                    AreaRow{"Rle8BottomFirst", 50, 37, 8, 1, 31, Basis::kHeight}),
    [](const testing::TestParamInfo<AreaRow>& info) { return std::string(info.param.name); });

// The decode the area filter starts from: libjpeg at scale m/8 with the codec's
// settings, B,G,R from the top.
std::vector<std::uint32_t> DecodeAtScale(const Bytes& file, unsigned m, int& width, int& height) {
    const std::vector<std::uint8_t> bgr = test::DecodeAtScale(file, m, JCS_EXT_BGR, width, height);
    std::vector<std::uint32_t> rgb;
    for (std::size_t i = 0; i + 2 < bgr.size(); i += 3) rgb.push_back(bgr[i + 2] << 16 | bgr[i + 1] << 8 | bgr[i]);
    return rgb;
}

// The decode is at the smallest of 1/8, 2/8 and 4/8 that is at least twice the
// thumbnail both ways (of 160 x 120: 20 x 15, 40 x 30, 80 x 60), else whole: the
// filter always has two by two pixels or more to average, and 3/8, 5/8 ... are
// never taken.
TEST(AreaOfJpegs, BoxFilterOfTheSmallestScaleThatLeavesTwiceTheThumbnail) {
    const Bytes file = test::MakeTestJpeg(160, 120, "-sample 2x2");
    struct Row {
        std::int32_t size;
        unsigned scale;  // in eighths
    } const rows[] = {{7, 1}, {8, 2}, {15, 2}, {16, 4}, {30, 4}, {31, 8}, {90, 8}, {200, 8}};
    for (const Row& row : rows) {
        int w = 0, h = 0;
        const std::vector<std::uint32_t> decoded = DecodeAtScale(file, row.scale, w, h);
        const Image thumb = Load(file, ImageFormat::kJpeg, Photo(row.size, Basis::kHeight, true, {false, 90, ScaleFilter::kArea}));
        EXPECT_EQ(test::RgbFromTop(thumb), ReferenceBox(decoded, w, h, thumb.width, thumb.height)) << row.size;
    }
}

// Annex K's tables, scaled as libjpeg's jpeg_set_quality documents: 5000 / q below
// 50, 200 - 2q from there, (value * scale + 50) / 100 kept within 1..255.
TEST(JpegQuality, TablesAreTheStandardOnesScaledForTheQuality) {
    const int luminance[64] = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
                               14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
                               18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
                               49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    int chrominance[64];
    for (int i = 0; i < 64; ++i) chrominance[i] = 99;
    const int chroma_corner[4][4] = {{17, 18, 24, 47}, {18, 21, 26, 66}, {24, 26, 56, 99}, {47, 66, 99, 99}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) chrominance[r * 8 + c] = chroma_corner[r][c];

    Image image;
    image.width = 16, image.height = 16, image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * 16, 128);
    for (const int quality : {1, 10, 49, 50, 75, 90, 100}) {
        const Bytes encoded = EncodeJpeg(image, quality);
        jpeg_decompress_struct info{};
        jpeg_error_mgr err{};
        info.err = jpeg_std_error(&err);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, encoded.data(), encoded.size());
        jpeg_read_header(&info, TRUE);
        const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
        for (int t = 0; t < 2; ++t) {
            ASSERT_NE(info.quant_tbl_ptrs[t], nullptr);
            for (int i = 0; i < 64; ++i) {
                const int standard = t == 0 ? luminance[i] : chrominance[i];
                const int expected = std::clamp((standard * scale + 50) / 100, 1, 255);
                EXPECT_EQ(info.quant_tbl_ptrs[t]->quantval[i], expected) << "quality " << quality << " table " << t << " at " << i;
            }
        }
        jpeg_destroy_decompress(&info);
    }
}

}  // namespace
}  // namespace nuthumb
