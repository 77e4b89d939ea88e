#include "codecs/bmp_reader.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "pixels/load_error.h"
#include "tests/support/bmp_builder.h"
#include "tests/image/image_rows.h"

namespace nuthumb {
namespace {

using test::BmpBuilder;
using test::RgbFromTop;
using Bytes = std::vector<std::uint8_t>;

const std::vector<std::array<std::uint8_t, 3>> kBlackWhite = {{0, 0, 0}, {255, 255, 255}};

// Entry i is blue i, green 2i, red 3i (mod 256): every index has its own colour.
std::vector<std::array<std::uint8_t, 3>> Ramp(int entries) {
    std::vector<std::array<std::uint8_t, 3>> p;
    for (int i = 0; i < entries; ++i) {
        p.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i), static_cast<std::uint8_t>(3 * i)});
    }
    return p;
}
std::uint32_t RampRgb(std::uint32_t i) { return ((3 * i) & 0xFF) << 16 | ((2 * i) & 0xFF) << 8 | (i & 0xFF); }

BmpBuilder Rle8(std::int32_t width, std::int32_t height, Bytes stream) {
    BmpBuilder b;
    b.width = width;
    b.height = height;
    b.bits = 8;
    b.compression = 1;
    b.colors_used = 16;
    b.palette = Ramp(16);
    b.pixels = std::move(stream);
    return b;
}

struct ReadCase {
    const char* name;
    std::function<Bytes()> file;
    std::int32_t width, height;
    std::vector<std::uint32_t> rgb_from_top;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadsVariant : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadsVariant, PixelsMatch) {
    const ReadCase& c = GetParam();
    const Image image = LoadBitmap(c.file());
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(RgbFromTop(image), c.rgb_from_top);
}

const ReadCase kReadCases[] = {
    {"OneBitBottomUp", [] {
         BmpBuilder b;
         b.width = 3, b.height = 2, b.bits = 1, b.palette = kBlackWhite;
         b.pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};  // bottom 1 0 1, top 0 1 0
         return b.Build();
     }, 3, 2, {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF}},
    {"FourBit", [] {
         BmpBuilder b;
         b.width = 3, b.bits = 4, b.palette = Ramp(16);
         b.pixels = {0x12, 0xF0, 0, 0};
         return b.Build();
     }, 3, 1, {RampRgb(1), RampRgb(2), RampRgb(15)}},
    {"EightBitShortTable", [] {
         BmpBuilder b;
         b.width = 2, b.bits = 8, b.colors_used = 3, b.palette = Ramp(3);
         b.pixels = {2, 0, 0, 0};
         return b.Build();
     }, 2, 1, {RampRgb(2), RampRgb(0)}},
    {"EightBitTopDown", [] {
         BmpBuilder b;
         b.width = 1, b.height = -2, b.bits = 8, b.colors_used = 2, b.palette = Ramp(2);
         b.pixels = {1, 0, 0, 0, 0, 0, 0, 0};  // first stored row is the top
         return b.Build();
     }, 1, 2, {RampRgb(1), RampRgb(0)}},
    {"SixteenBitWithoutMasksIs555", [] {
         BmpBuilder b;
         b.width = 2, b.bits = 16;
         b.pixels = {0x00, 0x7C, 0x10, 0x02};  // red 31; green 16, blue 16
         return b.Build();
     }, 2, 1, {0xFF0000, 0x008484}},
    {"SixteenBit565MasksAfterInfoHeader", [] {
         BmpBuilder b;
         b.width = 2, b.bits = 16, b.compression = 3;
         b.masks = std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F};
         b.pixels = {0xE0, 0x07, 0x00, 0x04};  // green 63; green 32 -> (32*255+31)/63 = 130
         return b.Build();
     }, 2, 1, {0x00FF00, 0x008200}},
    {"SixteenBitMasksInsideV4Header", [] {
         BmpBuilder b;
         b.header_size = 108, b.width = 1, b.bits = 16, b.compression = 3;
         b.masks = std::array<std::uint32_t, 3>{0x001F, 0x07E0, 0xF800};  // red and blue swapped
         b.pixels = {0x1F, 0x00, 0, 0};
         return b.Build();
     }, 1, 1, {0xFF0000}},
    {"ThirtyTwoBitTenBitMasksInsideV5Header", [] {
         BmpBuilder b;
         b.header_size = 124, b.width = 1, b.bits = 32, b.compression = 3;
         b.masks = std::array<std::uint32_t, 3>{0x000003FF, 0x000FFC00, 0x3FF00000};
         // red 1023 -> 255, green 512 -> (512*255+511)/1023 = 128, blue 0; top bits (alpha) ignored
         b.pixels = {0xFF, 0x03, 0x08, 0xC0};
         return b.Build();
     }, 1, 1, {0xFF8000}},
    {"ThirtyTwoBitFieldsWithZeroMaskGiveZero", [] {
         BmpBuilder b;
         b.width = 1, b.bits = 32, b.compression = 3;
         b.masks = std::array<std::uint32_t, 3>{0x00FF0000, 0, 0x000000FF};
         b.pixels = {0x11, 0x22, 0x33, 0x44};
         return b.Build();
     }, 1, 1, {0x330011}},
    {"TwentyFourBitBottomUp", [] {
         BmpBuilder b;
         b.width = 2, b.height = 2;
         b.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
         return b.Build();
     }, 2, 2, {0x090807, 0x0C0B0A, 0x030201, 0x060504}},
    {"TwentyFourBitSkipsItsColourTable", [] {
         BmpBuilder b;
         b.colors_used = 2, b.palette = kBlackWhite;
         b.pixels = {1, 2, 3, 0};
         return b.Build();
     }, 1, 1, {0x030201}},
    {"ThirtyTwoBitIgnoresAlphaByte", [] {
         BmpBuilder b;
         b.bits = 32;
         b.pixels = {1, 2, 3, 0xFF};
         return b.Build();
     }, 1, 1, {0x030201}},
    {"CoreHeaderWithThreeByteTable", [] {
         BmpBuilder b;
         b.header_size = 12, b.width = 2, b.bits = 8, b.palette = Ramp(256);
         b.pixels = {0, 255, 0, 0};
         return b.Build();
     }, 2, 1, {RampRgb(0), RampRgb(255)}},
    {"CoreHeaderOneBit", [] {
         BmpBuilder b;
         b.header_size = 12, b.width = 2, b.bits = 1, b.palette = {{0, 0, 255}, {255, 0, 0}};
         b.pixels = {0x40, 0, 0, 0};
         return b.Build();
     }, 2, 1, {0xFF0000, 0x0000FF}},
    {"CoreHeaderShortTableEndsAtPixelOffset", [] {
         BmpBuilder b;
         b.header_size = 12, b.width = 2, b.bits = 8, b.palette = Ramp(3);
         b.pixels = {2, 1, 0, 0};
         return b.Build();
     }, 2, 1, {RampRgb(2), RampRgb(1)}},
    {"Rle8RunsAbsoluteEndOfLineDelta", [] {
         return Rle8(4, 3, {3, 1, 0, 0,                // bottom: three of 1
                            0, 3, 2, 3, 1, 0, 0, 0,    // middle: literal 2 3 1, padded
                            0, 2, 1, 0, 2, 2, 0, 1})   // top: skip one, two of 2, end
             .Build();
     }, 4, 3,
     {0, RampRgb(2), RampRgb(2), 0,
      RampRgb(2), RampRgb(3), RampRgb(1), 0,
      RampRgb(1), RampRgb(1), RampRgb(1), 0}},
    {"Rle4NibblesAlternateAndDeltaUp", [] {
         BmpBuilder b = Rle8(5, 2, {5, 0x12, 0, 0,         // bottom: 1 2 1 2 1
                                    0, 3, 0x34, 0x50,      // top: literal 3 4 5
                                    0, 2, 1, 0, 1, 0x60,   // skip one, then 6
                                    0, 1});
         b.bits = 4, b.compression = 2;
         return b.Build();
     }, 5, 2,
     {RampRgb(3), RampRgb(4), RampRgb(5), 0, RampRgb(6),
      RampRgb(1), RampRgb(2), RampRgb(1), RampRgb(2), RampRgb(1)}},
    {"Rle8DeltaToNextRowThenEnd", [] {
         return Rle8(2, 2, {0, 2, 1, 1, 1, 5, 0, 1}).Build();  // from (0,0) to (1,1)
     }, 2, 2, {0, RampRgb(5), 0, 0}},
    {"Rle8WithoutEndOfBitmapLeavesRestZero", [] {
         return Rle8(2, 2, {2, 1}).Build();
     }, 2, 2, {0, 0, RampRgb(1), RampRgb(1)}},
    {"Rle8CutInsideLiteralRunLeavesRestZero", [] {
         return Rle8(4, 1, {0, 4, 1, 2}).Build();
     }, 4, 1, {0, 0, 0, 0}},
    {"Rle8WhateverFollowsTheLastRowIgnored", [] {
         return Rle8(1, 1, {1, 3, 0, 0, 0, 0, 5, 1, 0, 1}).Build();  // an end of line, a run past the image
     }, 1, 1, {RampRgb(3)}},
    {"TruncatedPixelDataLoadsZeroRows", [] {
         BmpBuilder b;
         b.width = 1, b.height = 3;
         b.pixels = {1, 2, 3, 0, 4, 5};  // bottom row whole, middle row cut after two bytes
         return b.Build();
     }, 1, 3, {0, 0x000504, 0x030201}},
    {"PixelOffsetAfterGapHonoured", [] {
         BmpBuilder b;
         b.gap = Bytes(8, 0x55);
         b.pixels = {1, 2, 3, 0};
         return b.Build();
     }, 1, 1, {0x030201}},
    {"PixelOffsetIntoHeadersIgnored", [] {
         BmpBuilder b;
         b.pixel_offset = 20;
         b.pixels = {1, 2, 3, 0};
         return b.Build();
     }, 1, 1, {0x030201}},
    {"PixelOffsetPastEndIgnored", [] {
         BmpBuilder b;
         b.pixel_offset = 100000;
         b.pixels = {1, 2, 3, 0};
         return b.Build();
     }, 1, 1, {0x030201}},
    {"PixelOffsetAtEndGivesZeroPixels", [] {
         BmpBuilder b;
         b.gap = {9, 9, 9, 9};
         b.pixel_offset = 14 + 40 + 4;
         return b.Build();
     }, 1, 1, {0}},
    {"ColourTableLongerThanBitsCanIndex", [] {
         BmpBuilder b;
         b.bits = 1, b.colors_used = 4, b.palette = {{0, 0, 0}, {255, 255, 255}, {1, 1, 1}, {2, 2, 2}};
         b.pixels = {0x80, 0, 0, 0};
         return b.Build();
     }, 1, 1, {0xFFFFFF}},
};

INSTANTIATE_TEST_SUITE_P(BmpReader, ReadsVariant, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, ZeroByteFileIsEmptyImage) {
    const Image image = LoadBitmap(Bytes{});
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_TRUE(image.empty());
}

TEST(BmpReader, UncompressedKeepsItsOwnFormat) {
    BmpBuilder b;
    b.width = 2, b.height = -1, b.bits = 8, b.colors_used = 3, b.colors_important = 2, b.palette = Ramp(3);
    b.pixels = {2, 1, 0, 0};
    const Image image = LoadBitmap(b.Build());
    EXPECT_EQ(image.bits_per_pixel, 8);
    EXPECT_EQ(image.compression, 0u);
    EXPECT_TRUE(image.top_down);
    EXPECT_EQ(image.colors_important, 2u);
    EXPECT_EQ(image.palette.size(), 3u);
    EXPECT_EQ(image.pixels, (Bytes{2, 1, 0, 0}));
    EXPECT_TRUE(image.file_bytes.empty());
}

TEST(BmpReader, BitFieldsKeepTheirMasks) {
    BmpBuilder b;
    b.header_size = 124, b.bits = 16, b.compression = 3;
    b.masks = std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F};
    b.pixels = {0, 0, 0, 0};
    const Image image = LoadBitmap(b.Build());
    EXPECT_EQ(image.compression, 3u);
    EXPECT_EQ(image.masks, (std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}));
}

TEST(BmpReader, RunLengthBecomesThirtyTwoBitAndKeepsFileBytes) {
    const Bytes file = Rle8(2, 1, {2, 1, 0, 1}).Build();
    const Image image = LoadBitmap(file);
    EXPECT_EQ(image.bits_per_pixel, 32);
    EXPECT_EQ(image.compression, 0u);
    EXPECT_FALSE(image.top_down);
    EXPECT_TRUE(image.palette.empty());
    EXPECT_EQ(image.file_bytes, file);
}

struct RejectCase {
    const char* name;
    std::function<Bytes()> file;
    const char* reason;  // a part of the message
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectsDamage : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectsDamage, WithLoadError) {
    const RejectCase& c = GetParam();
    try {
        LoadBitmap(c.file());
        FAIL() << "loaded";
    } catch (const LoadError& e) {
        EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
}

Bytes Cut(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

BmpBuilder Plain8(Bytes pixels) {
    BmpBuilder b;
    b.bits = 8, b.colors_used = 2, b.palette = Ramp(2), b.pixels = std::move(pixels);
    return b;
}

const RejectCase kRejectCases[] = {
    {"NoSignature", [] { auto f = BmpBuilder{}.Build(); f[0] = 'X'; return f; }, "BM signature"},
    {"EndsInsideFileHeader", [] { return Cut(BmpBuilder{}.Build(), 10); }, "file header"},
    {"EndsInsideInfoHeader", [] { return Cut(BmpBuilder{}.Build(), 30); }, "info header"},
    {"HeaderSizeBetweenCoreAndInfo", [] { BmpBuilder b; b.header_size = 20; return b.Build(); }, "header size 20"},
    {"HeaderLongerThanFile", [] { BmpBuilder b; b.header_size = 4000; return Cut(b.Build(), 200); }, "info header"},
    {"PlanesNotOne", [] { BmpBuilder b; b.planes = 2; return b.Build(); }, "planes"},
    {"CorePlanesNotOne", [] { BmpBuilder b; b.header_size = 12; b.planes = 0; return b.Build(); }, "planes"},
    {"BitCountSeven", [] { BmpBuilder b; b.bits = 7; return b.Build(); }, "bit count 7"},
    {"Rle8WithFourBits", [] { BmpBuilder b = Rle8(1, 1, {0, 1}); b.bits = 4; return b.Build(); }, "compression 1"},
    {"Rle4WithEightBits", [] { BmpBuilder b = Rle8(1, 1, {0, 1}); b.compression = 2; return b.Build(); }, "compression 2"},
    {"BitFieldsWithTwentyFourBits", [] {
         BmpBuilder b; b.compression = 3; b.masks = std::array<std::uint32_t, 3>{0xFF, 0xFF00, 0xFF0000};
         return b.Build(); }, "compression 3"},
    {"EmbeddedJpegCompression", [] { BmpBuilder b; b.bits = 0; b.compression = 4; return b.Build(); }, "compression 4"},
    {"MasksPastEndOfFile", [] {
         BmpBuilder b; b.bits = 16; b.compression = 3;
         b.masks = std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F};
         return Cut(b.Build(), 14 + 40 + 6); }, "colour masks"},
    {"MaskBitsNotAdjacent", [] {
         BmpBuilder b; b.bits = 16; b.compression = 3; b.pixels = {0, 0, 0, 0};
         b.masks = std::array<std::uint32_t, 3>{0xF00F, 0x07E0, 0x001F};
         return b.Build(); }, "not adjacent"},
    {"MaskOutsideSixteenBitPixel", [] {
         BmpBuilder b; b.bits = 16; b.compression = 3; b.pixels = {0, 0, 0, 0};
         b.masks = std::array<std::uint32_t, 3>{0x1F0000, 0x07E0, 0x001F};
         return b.Build(); }, "outside the pixel"},
    {"ColourTablePastEndOfFile", [] { BmpBuilder b; b.bits = 8; b.palette = Ramp(16); return b.Build(); }, "colour table"},
    {"ColourCountHuge", [] { BmpBuilder b; b.bits = 8; b.colors_used = 0xFFFFFFFF; return b.Build(); }, "colour table"},
    {"CoreColourTablePastEndOfFile", [] {
         BmpBuilder b; b.header_size = 12; b.bits = 4; b.palette = Ramp(4); b.pixel_offset = 0; return b.Build(); },
     "colour table"},
    {"WidthZero", [] { BmpBuilder b; b.width = 0; return b.Build(); }, "width 0"},
    {"WidthNegative", [] { BmpBuilder b; b.width = -5; return b.Build(); }, "width -5"},
    {"HeightZero", [] { BmpBuilder b; b.height = 0; return b.Build(); }, "height is 0"},
    {"HeightMostNegative", [] { BmpBuilder b; b.height = INT32_MIN; return b.Build(); }, "pixel limit"},
    {"OverPixelLimit", [] { BmpBuilder b; b.width = 1 << 15; b.height = (1 << 13) + 1; return b.Build(); }, "pixel limit"},
    {"PaletteIndexBeyondTable", [] { return Plain8({2, 0, 0, 0}).Build(); }, "palette index 2"},
    {"PaletteIndexBeyondTableInLastPixel", [] {
         BmpBuilder b = Plain8({0, 0, 0, 0, 0, 0, 0, 0}); b.width = 3; b.height = 2;
         b.pixels[6] = 9; b.colors_used = 2; b.palette = Ramp(2);
         return b.Build(); }, "palette index 9"},
    {"RleRunPastRow", [] { return Rle8(2, 1, {3, 1, 0, 1}).Build(); }, "past the end of its row"},
    {"RleLiteralRunPastRow", [] { return Rle8(2, 1, {0, 3, 1, 1, 1, 0}).Build(); }, "past the end of its row"},
    {"RleDeltaPastImage", [] { return Rle8(2, 2, {0, 2, 3, 0}).Build(); }, "delta"},
    {"RleDeltaAboveImage", [] { return Rle8(2, 2, {0, 2, 0, 3}).Build(); }, "delta"},
    {"RleZeroDeltasPastWhatTheImageCanUse", [] {
         Bytes stream;
         for (int i = 0; i < 8; ++i) stream.insert(stream.end(), {0, 2, 0, 0});
         return Rle8(1, 1, stream).Build(); }, "longer than its image"},
    {"RleIndexBeyondTable", [] { BmpBuilder b = Rle8(1, 1, {1, 1, 0, 1}); b.colors_used = 1; b.palette = Ramp(1); return b.Build(); }, "palette index 1"},
    {"Rle4NibbleBeyondTable", [] {
         BmpBuilder b = Rle8(2, 1, {2, 0x03, 0, 1}); b.bits = 4; b.compression = 2; b.colors_used = 2; b.palette = Ramp(2);
         return b.Build(); }, "palette index 3"},
    {"RleTopDown", [] { return Rle8(1, -1, {1, 1, 0, 1}).Build(); }, "top-down"},
};

INSTANTIATE_TEST_SUITE_P(BmpReader, RejectsDamage, testing::ValuesIn(kRejectCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
