#include "codecs/bmp_writer.h"

#include <functional>
#include <gtest/gtest.h>

#include "codecs/bmp_reader.h"
#include "pixels/load_error.h"
#include "tests/support/bmp_builder.h"
#include "tests/image/image_rows.h"

namespace nuthumb {
namespace {

using test::BmpBuilder;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& f, std::size_t at) {
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}
std::uint16_t U16At(const Bytes& f, std::size_t at) { return static_cast<std::uint16_t>(f[at] | f[at + 1] << 8); }

Image Thumbnail32(std::int32_t width, std::int32_t height) {
    Image image;
    image.width = width;
    image.height = height;
    image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * static_cast<std::size_t>(height), 0x5A);
    return image;
}

// The fields every composed file shares, checked at their offsets.
struct HeaderCase {
    const char* name;
    std::function<Image()> image;
    std::uint32_t file_size, pixel_offset;
    std::int32_t height_field;
    std::uint16_t bits;
    std::uint32_t compression, image_size, colors_used, colors_important;
};
void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class WrittenHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(WrittenHeader, HasExactFields) {
    const HeaderCase& c = GetParam();
    const Image image = c.image();
    const Bytes f = ComposeBitmapFile(image);
    ASSERT_EQ(f.size(), c.file_size);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32At(f, 2), c.file_size);
    EXPECT_EQ(U32At(f, 6), 0u);
    EXPECT_EQ(U32At(f, 10), c.pixel_offset);
    EXPECT_EQ(U32At(f, 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(U32At(f, 18)), image.width);
    EXPECT_EQ(static_cast<std::int32_t>(U32At(f, 22)), c.height_field);
    EXPECT_EQ(U16At(f, 26), 1);
    EXPECT_EQ(U16At(f, 28), c.bits);
    EXPECT_EQ(U32At(f, 30), c.compression);
    EXPECT_EQ(U32At(f, 34), c.image_size);
    EXPECT_EQ(U32At(f, 38), 2834u);
    EXPECT_EQ(U32At(f, 42), 2834u);
    EXPECT_EQ(U32At(f, 46), c.colors_used);
    EXPECT_EQ(U32At(f, 50), c.colors_important);
    EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.end(), f.begin() + c.pixel_offset));
}

const HeaderCase kHeaderCases[] = {
    {"ThirtyTwoBitThumbnail", [] { return Thumbnail32(3, 2); }, 54 + 24, 54, 2, 32, 0, 24, 0, 0},
    {"TwentyFourBitRowsPadded", [] {
         Image i; i.width = 3; i.height = 2; i.bits_per_pixel = 24; i.pixels.assign(24, 7); return i;
     }, 54 + 24, 54, 2, 24, 0, 24, 0, 0},
    {"EightBitWithShortTableKeepsColorsImportant", [] {
         Image i; i.width = 5; i.height = 1; i.bits_per_pixel = 8; i.colors_important = 3;
         i.palette = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}; i.pixels.assign(8, 1); return i;
     }, 54 + 12 + 8, 66, 1, 8, 0, 8, 3, 3},
    {"OneBitTopDownKeepsNegativeHeight", [] {
         Image i; i.width = 9; i.height = 3; i.top_down = true; i.bits_per_pixel = 1;
         i.palette = {{0, 0, 0, 0}, {255, 255, 255, 0}}; i.pixels.assign(12, 0xFF); return i;
     }, 54 + 8 + 12, 62, -3, 1, 0, 12, 2, 0},
    {"SixteenBitFieldsWriteMasks", [] {
         Image i; i.width = 1; i.height = 1; i.bits_per_pixel = 16; i.compression = 3;
         i.masks = {0xF800, 0x07E0, 0x001F}; i.pixels.assign(4, 0); return i;
     }, 54 + 12 + 4, 66, 1, 16, 3, 4, 0, 0},
    {"SixteenBitPlainWritesNoMasks", [] {
         Image i; i.width = 1; i.height = 1; i.bits_per_pixel = 16; i.pixels.assign(4, 0); return i;
     }, 54 + 4, 54, 1, 16, 0, 4, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(BitmapWriter, WrittenHeader, testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapWriter, MasksAndColourTableFollowTheHeader) {
    Image masked;
    masked.width = 1, masked.height = 1, masked.bits_per_pixel = 32, masked.compression = 3;
    masked.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    masked.pixels.assign(4, 0);
    const Bytes f = ComposeBitmapFile(masked);
    EXPECT_EQ(U32At(f, 54), 0x00FF0000u);
    EXPECT_EQ(U32At(f, 58), 0x0000FF00u);
    EXPECT_EQ(U32At(f, 62), 0x000000FFu);

    Image indexed;
    indexed.width = 1, indexed.height = 1, indexed.bits_per_pixel = 4;
    indexed.palette = {{1, 2, 3, 99}, {4, 5, 6, 99}};
    indexed.pixels.assign(4, 0);
    const Bytes g = ComposeBitmapFile(indexed);
    EXPECT_EQ(Bytes(g.begin() + 54, g.begin() + 62), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
}

TEST(BitmapWriter, RunLengthSourceCopiedWritesItsOwnBytesWithResolution) {
    BmpBuilder b;
    b.width = 2, b.bits = 8, b.compression = 1, b.colors_used = 2;
    b.palette = {{0, 0, 0}, {9, 9, 9}};
    b.pixels = {2, 1, 0, 1};
    const Bytes original = b.Build();
    const Bytes written = ComposeBitmapFile(LoadBitmap(original));
    ASSERT_EQ(written.size(), original.size());
    EXPECT_EQ(U32At(written, 38), 2834u);
    EXPECT_EQ(U32At(written, 42), 2834u);
    Bytes expected = original;
    std::copy(written.begin() + 38, written.begin() + 46, expected.begin() + 38);
    EXPECT_EQ(written, expected);
}

TEST(BitmapWriter, StoredFileBytesTooShortAreRefused) {
    Image image = Thumbnail32(1, 1);
    image.file_bytes = Bytes(45, 0);
    EXPECT_THROW(ComposeBitmapFile(image), LoadError);
}

TEST(BitmapWriter, CoreHeaderSourceIsWrittenWithInfoHeader) {
    BmpBuilder b;
    b.header_size = 12, b.width = 2, b.bits = 1, b.palette = {{0, 0, 0}, {255, 255, 255}};
    b.pixels = {0x40, 0, 0, 0};
    const Bytes f = ComposeBitmapFile(LoadBitmap(b.Build()));
    EXPECT_EQ(U32At(f, 14), 40u);
    EXPECT_EQ(U32At(f, 38), 2834u);
    EXPECT_EQ(U32At(f, 46), 2u);
    EXPECT_EQ(f.size(), 14u + 40 + 8 + 4);
}

TEST(BitmapWriter, ImagesWithoutBmpFormAreRefused) {
    EXPECT_THROW(ComposeBitmapFile(Image{}), LoadError);
    Image no_palette;
    no_palette.width = 1, no_palette.height = 1, no_palette.bits_per_pixel = 8;
    no_palette.pixels.assign(4, 0);
    EXPECT_THROW(ComposeBitmapFile(no_palette), LoadError);
    Image short_pixels = Thumbnail32(2, 2);
    short_pixels.pixels.pop_back();
    EXPECT_THROW(ComposeBitmapFile(short_pixels), LoadError);
}

// Written, then read back: the same format and the same pixels.
class RoundTrip : public testing::TestWithParam<std::pair<const char*, BmpBuilder>> {};

TEST_P(RoundTrip, ReadsBackTheSameImage) {
    const Image first = LoadBitmap(GetParam().second.Build());
    const Image second = LoadBitmap(ComposeBitmapFile(first));
    EXPECT_EQ(second.width, first.width);
    EXPECT_EQ(second.height, first.height);
    EXPECT_EQ(second.top_down, first.top_down);
    EXPECT_EQ(second.bits_per_pixel, first.bits_per_pixel);
    EXPECT_EQ(second.compression, first.compression);
    EXPECT_EQ(second.masks, first.masks);
    EXPECT_EQ(second.palette.size(), first.palette.size());
    EXPECT_EQ(second.pixels, first.pixels);
    EXPECT_EQ(test::RgbFromTop(second), test::RgbFromTop(first));
}

BmpBuilder Variant(std::uint16_t bits, std::int32_t height, std::uint32_t compression = 0) {
    BmpBuilder b;
    b.width = 3, b.height = height, b.bits = bits, b.compression = compression;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) b.palette.push_back({static_cast<std::uint8_t>(i), 7, 9});
    }
    if (compression == 3) b.masks = std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F};
    const std::size_t stride = (3u * bits + 31) / 32 * 4;
    for (std::size_t i = 0; i < stride * static_cast<std::size_t>(std::abs(height)); ++i) {
        b.pixels.push_back(static_cast<std::uint8_t>(i * 37 % 251 & (bits == 1 ? 0xE0 : 0xFF)));
    }
    return b;
}

INSTANTIATE_TEST_SUITE_P(BitmapWriter, RoundTrip, testing::Values(
    std::pair{"OneBit", Variant(1, 2)}, std::pair{"FourBit", Variant(4, 2)},
    std::pair{"EightBitTopDown", Variant(8, -2)}, std::pair{"SixteenBit", Variant(16, 2)},
    std::pair{"SixteenBitFields", Variant(16, 2, 3)}, std::pair{"TwentyFourBit", Variant(24, 3)},
    std::pair{"ThirtyTwoBitTopDown", Variant(32, -2)}),
    [](const auto& info) { return std::string(info.param.first); });

}  // namespace
}  // namespace nuthumb
