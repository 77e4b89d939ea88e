#include "pixels/scaler.h"

#include <gtest/gtest.h>

#include "pixels/load_error.h"
#include "tests/image/image_rows.h"

namespace nuthumb {
namespace {

using test::RgbFromTop;

// A 24-bit image whose pixel (x, y from the top) has the colour x | y << 8.
Image Coordinates(std::int32_t width, std::int32_t height, bool top_down = false) {
    Image image;
    image.width = width;
    image.height = height;
    image.top_down = top_down;
    image.bits_per_pixel = 24;
    image.pixels.resize(image.stride() * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = image.row_from_top(y);
        for (std::int32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
        }
    }
    return image;
}

// A 1-bit image from text rows, top first: '#' index 0, '.' index 1.
Image OneBit(const std::vector<std::string>& rows, std::vector<PaletteEntry> palette) {
    Image image;
    image.width = static_cast<std::int32_t>(rows[0].size());
    image.height = static_cast<std::int32_t>(rows.size());
    image.bits_per_pixel = 1;
    image.palette = std::move(palette);
    image.pixels.resize(image.stride() * rows.size());
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '.') {
                image.row_from_top(y)[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return image;
}

const std::vector<PaletteEntry> kBlackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
constexpr std::uint32_t B = 0x000000, W = 0xFFFFFF;

TEST(Scaler, ResultIsThirtyTwoBitBottomUp) {
    const Image thumb = StretchToThumbnail(Coordinates(3, 3, true), 2, 5);
    EXPECT_EQ(thumb.bits_per_pixel, 32);
    EXPECT_EQ(thumb.compression, 0u);
    EXPECT_FALSE(thumb.top_down);
    EXPECT_TRUE(thumb.palette.empty());
    EXPECT_TRUE(thumb.file_bytes.empty());
    EXPECT_EQ(thumb.pixels.size(), 2u * 4 * 5);
}

// (2d + 1) s / 2dd: shrinking 5 -> 2 takes the pixels 1 and 3; 4 -> 3 takes 0, 2, 3.
TEST(Scaler, ShrinkingPicksTheCentreOfEachSpan) {
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(Coordinates(5, 1), 2, 1)), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(Coordinates(4, 1), 3, 1)), (std::vector<std::uint32_t>{0, 2, 3}));
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(Coordinates(1, 5), 1, 2)), (std::vector<std::uint32_t>{0x100, 0x300}));
}

TEST(Scaler, RowOrderOfTheSourceDoesNotMatter) {
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(Coordinates(7, 9, true), 3, 4)),
              RgbFromTop(StretchToThumbnail(Coordinates(7, 9, false), 3, 4)));
}

// Bit fields are the one source kind the noise images below do not cover.
TEST(Scaler, BitFieldSourcesAreExpanded) {
    Image source;
    source.width = 2, source.height = 1, source.bits_per_pixel = 16, source.compression = 3;
    source.masks = {0xF800, 0x07E0, 0x001F};
    source.pixels = {0x00, 0xF8, 0x1F, 0x00};
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(source, 4, 1)), (std::vector<std::uint32_t>{0xFF0000, 0xFF0000, 0xFF, 0xFF}));
}

struct OneBitCase {
    const char* name;
    std::vector<std::string> source;
    std::vector<PaletteEntry> palette;
    std::int32_t width, height;
    std::vector<std::uint32_t> expected;
};
void PrintTo(const OneBitCase& c, std::ostream* os) { *os << c.name; }

class OneBitStretch : public testing::TestWithParam<OneBitCase> {};

TEST_P(OneBitStretch, AndsShrunkSpans) {
    const OneBitCase& c = GetParam();
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(OneBit(c.source, c.palette), c.width, c.height)), c.expected);
}

const OneBitCase kOneBitCases[] = {
    {"BlackDotSurvivesShrinking", {"....", "....", "...#", "...."}, kBlackWhite, 2, 2, {W, W, W, B}},
    {"ThinBlackColumnSurvives", {"..#...", "..#...", "..#..."}, kBlackWhite, 2, 3, {B, W, B, W, B, W}},
    {"ThinBlackRowSurvives", {"...", "...", "###", "...", "..."}, kBlackWhite, 3, 1, {B, B, B}},
    // The AND works on indices: with index 0 white, white survives instead.
    {"IndexZeroSurvivesWhateverItsColour", {"....", "#...", "....", "...."},
     {{255, 255, 255, 0}, {0, 0, 0, 0}}, 1, 1, {W}},
};

INSTANTIATE_TEST_SUITE_P(Scaler, OneBitStretch, testing::ValuesIn(kOneBitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fast paths (direct sampling, repeated rows, packed 1-bit ANDs) against the
// rule written out pixel by pixel.
std::vector<std::uint32_t> NaiveStretch(const Image& source, std::int32_t dw, std::int32_t dh) {
    const auto rgb = RgbFromTop(source);
    const std::int64_t sw = source.width, sh = source.height;
    auto index = [&](std::int64_t x, std::int64_t y) {  // 1-bit sources: the palette index
        return (source.row_from_top(static_cast<std::int32_t>(y))[x / 8] >> (7 - x % 8)) & 1;
    };
    std::vector<std::uint32_t> out;
    for (std::int64_t dy = 0; dy < dh; ++dy) {
        for (std::int64_t dx = 0; dx < dw; ++dx) {
            const std::int64_t sx = (2 * dx + 1) * sw / (2 * dw), sy = (2 * dy + 1) * sh / (2 * dh);
            if (source.bits_per_pixel != 1) {
                out.push_back(rgb[static_cast<std::size_t>(sy * sw + sx)]);
                continue;
            }
            const std::int64_t x0 = dw < sw ? dx * sw / dw : sx, x1 = dw < sw ? (dx + 1) * sw / dw : sx + 1;
            const std::int64_t y0 = dh < sh ? dy * sh / dh : sy, y1 = dh < sh ? (dy + 1) * sh / dh : sy + 1;
            int combined = 1;
            for (std::int64_t y = y0; y < y1; ++y) {
                for (std::int64_t x = x0; x < x1; ++x) combined &= index(x, y);
            }
            const PaletteEntry& c = source.palette[static_cast<std::size_t>(combined)];
            out.push_back(std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue);
        }
    }
    return out;
}

Image Noise(std::uint16_t bits, std::int32_t width, std::int32_t height) {
    Image image;
    image.width = width, image.height = height, image.bits_per_pixel = bits;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            image.palette.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i), 200, 0});
        }
    }
    image.pixels.resize(image.stride() * static_cast<std::size_t>(height));
    std::uint32_t state = 12345;
    for (auto& b : image.pixels) {
        state = state * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(state >> 16);
    }
    return image;
}

class MatchesTheRule : public testing::TestWithParam<std::tuple<int, std::array<std::int32_t, 4>>> {};

TEST_P(MatchesTheRule, PixelByPixel) {
    const auto [bits, size] = GetParam();
    const Image source = Noise(static_cast<std::uint16_t>(bits), size[0], size[1]);
    EXPECT_EQ(RgbFromTop(StretchToThumbnail(source, size[2], size[3])), NaiveStretch(source, size[2], size[3]));
}

INSTANTIATE_TEST_SUITE_P(
    Scaler, MatchesTheRule,
    testing::Combine(testing::Values(1, 4, 8, 16, 24, 32),
                     testing::Values(std::array<std::int32_t, 4>{37, 23, 10, 7},    // shrink both
                                     std::array<std::int32_t, 4>{7, 5, 31, 17},     // enlarge both
                                     std::array<std::int32_t, 4>{41, 3, 9, 11},     // shrink x, enlarge y
                                     std::array<std::int32_t, 4>{3, 29, 13, 4},     // enlarge x, shrink y
                                     std::array<std::int32_t, 4>{16, 16, 16, 16})), // same size
    [](const auto& info) {
        const auto& s = std::get<1>(info.param);
        return "Bits" + std::to_string(std::get<0>(info.param)) + "_" + std::to_string(s[0]) + "x" +
               std::to_string(s[1]) + "_to_" + std::to_string(s[2]) + "x" + std::to_string(s[3]);
    });

TEST(Scaler, RefusesWhatHasNoSoundResult) {
    EXPECT_THROW(StretchToThumbnail(Image{}, 10, 10), LoadError);
    EXPECT_THROW(StretchToThumbnail(Coordinates(4, 4), 0, 10), LoadError);
    EXPECT_THROW(StretchToThumbnail(Coordinates(4, 4), 10, -1), LoadError);
    EXPECT_THROW(StretchToThumbnail(Coordinates(4, 4), 1 << 15, (1 << 13) + 1), LoadError);
    Image inconsistent = Coordinates(4, 4);
    inconsistent.pixels.resize(3);
    EXPECT_THROW(StretchToThumbnail(inconsistent, 2, 2), LoadError);
}

}  // namespace
}  // namespace nuthumb
