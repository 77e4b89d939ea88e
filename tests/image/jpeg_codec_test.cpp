
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pixels/load_error.h"
#include "platform/file_io.h"
#include "tests/support/jpeg_file.h"
#include "codecs/jpeg_encoder.h"
#include "tests/image/jpeg_fixtures.h"  // also brings jpeglib.h

namespace nuthumb {
namespace {

using test::MakeTestJpeg;

const std::string kCorpus = std::string(NUTHUMB_CORPUS_DIR) + "/libjpeg-turbo/";

Image Decode(std::vector<std::uint8_t> file, bool* progressive = nullptr) {
    test::JpegFile codec;
    codec.ReadHeader(std::move(file));
    if (progressive) *progressive = codec->progressive();
    return codec->DecodeImage();
}

// Index of the first marker FF `code`, or npos.
std::size_t FindMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t code) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return std::string::npos;
}

Image SolidThumbnail(std::int32_t width, std::int32_t height) {
    Image image;
    image.width = width;
    image.height = height;
    image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * height, 0x80);
    return image;
}

TEST(JpegDecode, GraySourceGives236LevelsFromBlackToWhite) {
    const Image image = Decode(MakeTestJpeg(40, 30, "-grayscale", true));
    EXPECT_EQ(image.bits_per_pixel, 8);
    ASSERT_EQ(image.palette.size(), 236u);
    for (std::size_t j = 0; j < image.palette.size(); ++j) {
        const auto level = static_cast<std::uint8_t>((j * 255 + 117) / 235);
        EXPECT_EQ(image.palette[j].blue, level) << j;
        EXPECT_EQ(image.palette[j].green, level) << j;
        EXPECT_EQ(image.palette[j].red, level) << j;
    }
    EXPECT_EQ(image.width, 40);
    EXPECT_EQ(image.height, 30);
}

TEST(JpegDecode, ColourSourceGives24BitRows) {
    bool progressive = true;
    const Image image = Decode(MakeTestJpeg(33, 17, ""), &progressive);
    EXPECT_FALSE(progressive);
    EXPECT_EQ(image.bits_per_pixel, 24);
    EXPECT_EQ(image.width, 33);
    EXPECT_EQ(image.height, 17);
    EXPECT_EQ(image.pixels.size(), image.stride() * 17);
}

// What a decode will hold, told from the headers before anything large is made:
// a progressive file all of its coefficients (2 bytes each, per component at its
// sampling), a baseline one only rows, a whole image its pixels twice besides.
TEST(JpegDecode, WorkingMemoryIsToldFromTheHeaders) {
    const auto working = [](std::vector<std::uint8_t> file, bool whole) {
        test::JpegFile codec;
        codec.ReadHeader(std::move(file));
        return codec->WorkingMemory(whole);
    };
    constexpr std::uint64_t kPixels = 1024 * 512;
    const std::uint64_t progressive_444 = working(MakeTestJpeg(1024, 512, "-progressive -sample 1x1"), false);
    const std::uint64_t progressive_420 = working(MakeTestJpeg(1024, 512, "-progressive -sample 2x2"), false);
    const std::uint64_t baseline = working(MakeTestJpeg(1024, 512, "-sample 2x2"), false);
    EXPECT_GE(progressive_444, kPixels * 3 * 2);
    EXPECT_LT(progressive_444, kPixels * 3 * 2 + (1 << 20));
    EXPECT_GE(progressive_420, kPixels * 3 / 2 * 2);
    EXPECT_LT(progressive_420, kPixels * 3 / 2 * 2 + (1 << 20));
    EXPECT_LT(baseline, std::uint64_t{1} << 20);
    EXPECT_GE(working(MakeTestJpeg(1024, 512, "-sample 2x2"), true), baseline + kPixels * 3 * 2);
}

TEST(JpegDecode, FileWithoutItsEndStillDecodes) {
    std::vector<std::uint8_t> file = MakeTestJpeg(64, 64, "");
    file.resize(file.size() * 6 / 10);
    const Image image = Decode(std::move(file));
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
}

struct RefusedRow {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string corpus_file;  // read when the row runs, instead of `bytes`
    std::string reason;       // how the message starts: our own words, not the library's
};

class JpegRefused : public testing::TestWithParam<RefusedRow> {};

TEST_P(JpegRefused, IsALoadError) {
    const RefusedRow& row = GetParam();
    try {
        Decode(row.corpus_file.empty() ? row.bytes : ReadWholeFile(kCorpus + row.corpus_file));
        ADD_FAILURE() << "decoded";
    } catch (const LoadError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("JPEG: " + row.reason)) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JpegRefused,
    testing::Values(RefusedRow{"EmptyFile", {}, "", "ファイルが途中で切れています"},
                    RefusedRow{"NotAJpeg", {'B', 'M', 1, 2, 3, 4, 5, 6}, "", "JPEG ファイルではありません（"},
                    RefusedRow{"OnlyStartOfImage", {0xFF, 0xD8}, "", "画像がありません"},
                    RefusedRow{"HeaderWithoutFrame", {0xFF, 0xD8, 0xFF, 0xD9}, "", "画像がありません"},
                    RefusedRow{"TwelveBitSamples", {}, "monkey12.jpg", "この種類の JPEG には対応していません（"}),
    [](const testing::TestParamInfo<RefusedRow>& info) { return info.param.name; });

// libjpeg-turbo as Debian builds it decodes arithmetic coding.
TEST(JpegDecode, ArithmeticCodedSourceDecodes) {
    const Image image = Decode(ReadWholeFile(kCorpus + "testimgari.jpg"));
    EXPECT_EQ(image.width, 227);
    EXPECT_EQ(image.height, 149);
    EXPECT_EQ(image.bits_per_pixel, 24);
}

std::vector<std::uint8_t> SolidCmyk(const std::uint8_t (&pixel)[4]) {
    return test::MakeCmykJpeg(16, 16, [&pixel](int, int, std::uint8_t* cmyk) {
        std::copy(pixel, pixel + 4, cmyk);
    });
}

TEST(JpegDecode, InvertedCmykBecomesRgb) {
    const std::uint8_t no_ink[4] = {255, 255, 255, 255};
    const std::uint8_t full_black[4] = {255, 255, 255, 0};
    const std::uint8_t cyan[4] = {0, 255, 255, 255};
    Image image = Decode(SolidCmyk(no_ink));
    ASSERT_EQ(image.bits_per_pixel, 24);
    EXPECT_GE(image.row_from_top(8)[0], 253);
    image = Decode(SolidCmyk(full_black));
    EXPECT_LE(image.row_from_top(8)[1], 2);
    image = Decode(SolidCmyk(cyan));
    const std::uint8_t* p = image.row_from_top(8);
    EXPECT_GE(p[0], 253);  // blue
    EXPECT_GE(p[1], 253);  // green
    EXPECT_LE(p[2], 2);    // red
}

// Pure red in every pixel format the encoder takes: a swapped channel order shows.
Image RedImage(std::uint16_t bits) {
    Image image;
    image.width = 16;
    image.height = 16;
    image.bits_per_pixel = bits;
    image.pixels.assign(image.stride() * 16, 0);
    if (bits == 8) {
        image.palette = {PaletteEntry{0, 0, 255, 0}};
        return image;
    }
    for (std::int32_t y = 0; y < 16; ++y)
        for (std::int32_t x = 0; x < 16; ++x) image.row_from_top(y)[x * (bits / 8) + 2] = 255;
    return image;
}

class JpegEncodeColour : public testing::TestWithParam<std::uint16_t> {};

TEST_P(JpegEncodeColour, KeepsRedRed) {
    const Image decoded = Decode(EncodeJpeg(RedImage(GetParam())));
    const std::uint8_t* p = decoded.row_from_top(8) + 8 * 3;
    EXPECT_LE(p[0], 8);    // blue
    EXPECT_LE(p[1], 8);    // green
    EXPECT_GE(p[2], 240);  // red
}

INSTANTIATE_TEST_SUITE_P(PixelFormats, JpegEncodeColour, testing::Values(8, 24, 32),
                         [](const testing::TestParamInfo<std::uint16_t>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

// The encoder takes B,G,R,0 rows as they are; the file must be byte for byte the
// one that three-component RGB input with the same settings gives.
std::vector<std::uint8_t> EncodeAsRgb(const Image& image) {
    return test::EncodeDirect(image.width, image.height, 3, JCS_RGB, 90, true,
                              [&image](int y, std::uint8_t* rgb) {
                                  const std::uint8_t* bgrx = image.row_from_top(y);
                                  for (std::int32_t x = 0; x < image.width; ++x)
                                      for (int c = 0; c < 3; ++c)
                                          rgb[3 * x + c] = bgrx[4 * x + 2 - c];
                              });
}

TEST(JpegEncode, ThumbnailRowsGiveTheSameFileAsRgbInput) {
    test::JpegFile source;
    source.ReadHeader(MakeTestJpeg(97, 61, ""));
    const Image thumb = source.DecodeThumbnail(45, 29);
    EXPECT_TRUE(EncodeJpeg(thumb) == EncodeAsRgb(thumb));
}

TEST(JpegEncode, WritesJfif101WithDensityOneByOneWithoutUnit) {
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(SolidThumbnail(20, 10));
    const std::vector<std::uint8_t> head = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F',
                                            0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
    ASSERT_GE(jpeg.size(), head.size());
    EXPECT_EQ(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20), head);
}

TEST(JpegEncode, BaselineWithQuality90And420) {
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(SolidThumbnail(20, 10));
    EXPECT_EQ(FindMarker(jpeg, 0xC2), std::string::npos);
    const std::size_t sof = FindMarker(jpeg, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    // Components: id, sampling, table; Y 2x2, Cb and Cr 1x1.
    EXPECT_EQ(jpeg[sof + 9], 3);
    EXPECT_EQ(jpeg[sof + 11], 0x22);
    EXPECT_EQ(jpeg[sof + 14], 0x11);
    EXPECT_EQ(jpeg[sof + 17], 0x11);
    // The luminance table's DC entry: 16 scaled to 20 % is 3.
    const std::size_t dqt = FindMarker(jpeg, 0xDB);
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(jpeg[dqt + 5], 3);
}

}  // namespace
}  // namespace nuthumb
