// Gallery outputs: boxes and crops against hand-computed rectangles and against
// the crop of the whole scaled picture, enlarging against a plain bilinear
// reference, turned photos, and several thumbnails of one decode against each
// one's own decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/codec_table.h"
#include "codecs/jpeg_scale_choice.h"
#include "image/decode_plan.h"
#include "image/geometry.h"
#include "image/load_thumbnail.h"
#include "image/load_thumbnails.h"
#include "pixels/block_average.h"
#include "pixels/box_filter.h"
#include "pixels/load_error.h"
#include "pixels/scaler.h"
#include "platform/byte_source.h"
#include "platform/file_io.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct BoxRow {
    const char* name;
    std::int32_t source_width, source_height;
    BoxFit box;
    std::int32_t box_width, box_height;
    bool enlarge;
    // The thumbnail, and for a crop the picture scaled and where it is cut.
    std::int32_t width, height, scaled_width, scaled_height, x, y;
};

class BoxGeometry : public testing::TestWithParam<BoxRow> {};

TEST_P(BoxGeometry, GivesTheHandComputedRectangle) {
    const BoxRow& row = GetParam();
    const auto boxed = BoxedSize(row.source_width, row.source_height, row.box, row.box_width, row.box_height, row.enlarge);
    if (row.width == 0) {
        EXPECT_FALSE(boxed.has_value());
        return;
    }
    ASSERT_TRUE(boxed.has_value());
    EXPECT_EQ(boxed->size, (ThumbnailSize{row.width, row.height}));
    EXPECT_EQ(boxed->window.scaled_width, row.scaled_width);
    EXPECT_EQ(boxed->window.scaled_height, row.scaled_height);
    EXPECT_EQ(boxed->window.x, row.x);
    EXPECT_EQ(boxed->window.y, row.y);
}

constexpr BoxFit kFit = BoxFit::kFit, kFill = BoxFit::kFill;

INSTANTIATE_TEST_SUITE_P(
    Rows, BoxGeometry,
    testing::Values(
        // 3172 * 320 / 5640 = 179.97: rounded, where --size floors to 179.
        BoxRow{"FitRoundsTheOtherSide", 5640, 3172, kFit, 320, 320, false, 320, 180, 0, 0, 0, 0},
        BoxRow{"FitPortraitByHeight", 3000, 4000, kFit, 1024, 1024, false, 768, 1024, 0, 0, 0, 0},
        BoxRow{"FitWideBoxByHeight", 1000, 1000, kFit, 300, 100, false, 100, 100, 0, 0, 0, 0},
        BoxRow{"FitHalfRoundsUp", 4, 3, kFit, 2, 2, false, 2, 2, 0, 0, 0, 0},  // 1.5 -> 2
        BoxRow{"FitSmallerKeepsItsSize", 200, 100, kFit, 320, 320, false, 200, 100, 0, 0, 0, 0},
        BoxRow{"FitSmallerEnlarged", 200, 100, kFit, 320, 320, true, 320, 160, 0, 0, 0, 0},
        BoxRow{"FitOnePixelWide", 1, 1000, kFit, 320, 320, false, 1, 320, 0, 0, 0, 0},
        BoxRow{"FitOnePixelHigh", 999, 1, kFit, 100, 50, false, 100, 1, 0, 0, 0, 0},
        BoxRow{"FillLandscapeCutsTheSides", 6000, 4000, kFill, 256, 256, false, 256, 256, 384, 256, 64, 0},
        BoxRow{"FillPortraitCutsTopAndBottom", 4000, 6000, kFill, 256, 256, false, 256, 256, 256, 384, 0, 64},
        // 10 x 7 into 3 x 3: 4.29 x 3, cut 3 x 3 from x 0 (the odd pixel at the end).
        BoxRow{"FillOddSizes", 10, 7, kFill, 3, 3, false, 3, 3, 4, 3, 0, 0},
        BoxRow{"FillOddCut", 101, 37, kFill, 17, 10, false, 17, 10, 27, 10, 5, 0},
        BoxRow{"FillExactAspectCutsNothing", 640, 480, kFill, 320, 240, false, 320, 240, 0, 0, 0, 0},
        BoxRow{"FillSmallerOnlyCut", 300, 100, kFill, 256, 256, false, 256, 100, 300, 100, 22, 0},
        BoxRow{"FillSmallerBothWaysKept", 200, 100, kFill, 256, 256, false, 200, 100, 0, 0, 0, 0},
        BoxRow{"FillSmallerEnlarged", 200, 100, kFill, 256, 256, true, 256, 256, 512, 256, 128, 0},
        BoxRow{"FillOnePixelWide", 1, 1000, kFill, 256, 256, false, 1, 256, 1, 1000, 0, 372},
        BoxRow{"FillOnePixelWideEnlarged", 1, 1000, kFill, 256, 256, true, 256, 256, 256, 256000, 0, 127872},
        BoxRow{"BoxTooLarge", 100, 100, kFit, 16385, 10, false, 0, 0, 0, 0, 0, 0},
        BoxRow{"EmptyBox", 100, 100, kFill, 0, 10, false, 0, 0, 0, 0, 0, 0},
        BoxRow{"EmptySource", 0, 100, kFit, 10, 10, false, 0, 0, 0, 0, 0, 0},
        BoxRow{"NoBox", 100, 100, BoxFit::kNone, 10, 10, false, 0, 0, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<BoxRow>& info) { return std::string(info.param.name); });

// A 24-bit picture with edges and noise, so that a misplaced pixel shows.
Image Noise(std::int32_t width, std::int32_t height, bool alpha = false) {
    Image image;
    image.width = width, image.height = height, image.bits_per_pixel = alpha ? 32 : 24, image.alpha = alpha;
    image.pixels.resize(image.stride() * static_cast<std::size_t>(height));
    std::uint32_t seed = static_cast<std::uint32_t>(width * 7919 + height);
    for (std::uint8_t& byte : image.pixels) byte = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 23);
    return image;
}

// `window` of `full` (a 32-bit thumbnail of the window's scaled size).
Image Cut(const Image& full, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    Image cut = BlankThumbnail(width, height);
    cut.alpha = full.alpha;
    for (std::int32_t row = 0; row < height; ++row)
        std::memcpy(cut.row_from_top(row), full.row_from_top(y + row) + 4 * static_cast<std::size_t>(x),
                    4 * static_cast<std::size_t>(width));
    return cut;
}

Image Filtered(const Image& source, std::int32_t width, std::int32_t height, const ScaleWindow& window,
               bool bottom_first = false) {
    Image thumbnail = BlankThumbnail(width, height);
    thumbnail.alpha = source.alpha;
    BoxFilter filter(source.width, source.height, thumbnail, bottom_first, window);
    const int bytes = source.alpha ? 4 : 3;
    for (std::int32_t y = 0; y < source.height; ++y)
        filter.AddRow(y, source.row_from_top(bottom_first ? source.height - 1 - y : y), bytes);
    filter.Finish();
    return thumbnail;
}

// Every window of the scaled picture (shrunk, enlarged, one pixel wide) is the
// cut of the whole: the picks and the box weights do not move with the crop.
TEST(ScaleWindow, IsTheCutOfTheWholeScaledPicture) {
    struct Row {
        std::int32_t source_width, source_height, scaled_width, scaled_height, x, y, width, height;
    };
    const Row rows[] = {{101, 37, 27, 10, 5, 0, 17, 10}, {640, 480, 384, 256, 64, 0, 256, 256},
                        {1, 1000, 1, 256, 0, 100, 1, 56}, {37, 101, 60, 163, 3, 40, 53, 60},
                        {13, 7, 50, 27, 11, 4, 20, 20}};
    for (const Row& row : rows) {
        for (const bool alpha : {false, true}) {
            const Image source = Noise(row.source_width, row.source_height, alpha);
            const ScaleWindow window{row.scaled_width, row.scaled_height, row.x, row.y};
            const ScaleWindow whole{};
            EXPECT_EQ(StretchToThumbnail(source, row.width, row.height, window).pixels,
                      Cut(StretchToThumbnail(source, row.scaled_width, row.scaled_height), row.x, row.y, row.width,
                          row.height).pixels)
                << row.source_width << "x" << row.source_height;
            const Image full = Filtered(source, row.scaled_width, row.scaled_height, whole);
            EXPECT_EQ(Filtered(source, row.width, row.height, window).pixels,
                      Cut(full, row.x, row.y, row.width, row.height).pixels)
                << row.source_width << "x" << row.source_height;
            // Rows from the bottom see the window from the bottom.
            EXPECT_EQ(Filtered(source, row.width, row.height, window, true).pixels,
                      Cut(full, row.x, row.y, row.width, row.height).pixels);
        }
    }
}

// Block means of a picture whose sides are not multiples of the factor: the
// last column's and row's blocks average only the pixels they hold, and every
// reduced row comes out once, numbered by the block row it closes.
TEST(BlockAverage, MeansEveryBlockIncludingTheCutOnesAtTheEdges) {
    struct Row {
        std::int32_t width, height;
        int factor, bytes;
    };
    for (const Row& row : {Row{37, 19, 2, 3}, Row{37, 19, 4, 1}, Row{9, 17, 8, 3}, Row{5, 3, 8, 1}, Row{16, 8, 4, 3}}) {
        const auto value = [&](std::int32_t x, std::int32_t y, int c) { return (x * 37 + y * 101 + c * 59) % 256; };
        BlockAverage average(row.width, row.height, row.factor, row.bytes);
        std::vector<std::uint8_t> line(static_cast<std::size_t>(row.width * row.bytes));
        std::int32_t closed = 0;
        for (std::int32_t y = 0; y < row.height; ++y) {
            for (std::int32_t x = 0; x < row.width; ++x)
                for (int c = 0; c < row.bytes; ++c) line[static_cast<std::size_t>(x * row.bytes + c)] = value(x, y, c);
            const std::uint8_t* out = average.Add(y, line.data());
            if (out == nullptr) continue;
            const std::int32_t by = y / row.factor, y0 = by * row.factor;
            EXPECT_EQ(by, closed++);
            for (std::int32_t bx = 0; bx * row.factor < row.width; ++bx) {
                const std::int32_t x0 = bx * row.factor, x1 = std::min(row.width, x0 + row.factor);
                for (int c = 0; c < row.bytes; ++c) {
                    int sum = 0, n = 0;
                    for (std::int32_t yy = y0; yy <= y; ++yy)
                        for (std::int32_t xx = x0; xx < x1; ++xx, ++n) sum += value(xx, yy, c);
                    EXPECT_EQ(out[bx * row.bytes + c], (sum + n / 2) / n) << row.width << "x" << row.height;
                }
            }
        }
        EXPECT_EQ(closed, (row.height + row.factor - 1) / row.factor);
    }
}

// Enlarging by a box smoothly: each pixel from the two source pixels around its
// centre, by distance, the edges held (as PIL's bilinear enlarges), within one
// level of the exact value.
TEST(ScaleWindow, EnlargesBilinearly) {
    const Image source = Noise(7, 5);
    const std::int32_t width = 23, height = 16;
    ScaleWindow window;
    window.smooth_enlarge = true;
    const Image made = Filtered(source, width, height, window);
    const auto taps = [](std::int32_t d, std::int32_t source, std::int32_t target) {
        const double at = std::clamp((d + 0.5) * source / target - 0.5, 0.0, source - 1.0);
        const auto left = static_cast<std::int32_t>(std::floor(at));
        return std::pair{left, at - left};
    };
    int worst = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        const auto [top, fy] = taps(y, source.height, height);
        for (std::int32_t x = 0; x < width; ++x) {
            const auto [left, fx] = taps(x, source.width, width);
            for (int c = 0; c < 3; ++c) {
                const auto at = [&](std::int32_t sx, std::int32_t sy) {
                    sx = std::min(sx, source.width - 1), sy = std::min(sy, source.height - 1);
                    return static_cast<double>(source.row_from_top(sy)[3 * sx + c]);
                };
                const double value = (1 - fy) * ((1 - fx) * at(left, top) + fx * at(left + 1, top)) +
                                     fy * ((1 - fx) * at(left, top + 1) + fx * at(left + 1, top + 1));
                worst = std::max(worst, std::abs(made.row_from_top(y)[4 * x + c] - static_cast<int>(std::lround(value))));
            }
        }
    }
    EXPECT_LE(worst, 1);
}

// An APP1 Exif segment holding only the Orientation tag, right after SOI.
Bytes WithOrientation(const Bytes& jpeg, int orientation) {
    const Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                        static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 0, 0};
    Bytes out = {0xFF, 0xD8, 0xFF, 0xE1, 0, static_cast<std::uint8_t>(2 + 6 + tiff.size()), 'E', 'x', 'i', 'f', 0, 0};
    for (const std::uint8_t byte : tiff) out.push_back(byte);
    for (std::size_t i = 2; i < jpeg.size(); ++i) out.push_back(jpeg[i]);
    return out;
}

Conversion Boxed(BoxFit box, std::int32_t width, std::int32_t height, ScaleFilter filter, bool enlarge = false) {
    Conversion conversion;
    conversion.box = box, conversion.box_width = width, conversion.box_height = height, conversion.enlarge = enlarge;
    conversion.photo.filter = filter;
    conversion.photo.auto_orient = true;
    return conversion;
}

// A turned photo's box is the box of the picture as shown: the nearest
// thumbnail, picked in the stored orientation and turned, is the stretch of the
// upright whole picture, crop and all.
TEST(GalleryGeometry, TurnedJpegsAreBoxedAsShown) {
    const Bytes stored = test::MakeTestJpeg(61, 43, "-quality 95 -sample 1x1");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const Bytes file = WithOrientation(stored, orientation);
        const MemoryBytes source(file);
        Conversion copy;
        copy.resize = false;
        copy.photo.auto_orient = true;
        const Image upright = LoadThumbnail(source, ImageFormat::kJpeg, copy, {}).image;
        for (const Conversion& conversion : {Boxed(kFill, 16, 16, ScaleFilter::kNearest),
                                             Boxed(kFit, 40, 20, ScaleFilter::kNearest),
                                             Boxed(kFill, 90, 70, ScaleFilter::kNearest, true)}) {
            const auto boxed = BoxedSize(upright.width, upright.height, conversion.box, conversion.box_width,
                                         conversion.box_height, conversion.enlarge);
            ASSERT_TRUE(boxed);
            const Image made = LoadThumbnail(source, ImageFormat::kJpeg, conversion, {}).image;
            EXPECT_EQ(made.pixels,
                      StretchToThumbnail(upright, boxed->size.width, boxed->size.height, boxed->window).pixels)
                << "orientation " << orientation << " box " << conversion.box_width << "x" << conversion.box_height;
        }
    }
}

// Everything the decodes give, as 0xRRGGBB from the top.
double Psnr(const Image& a, const Image& b) {
    double sum = 0;
    std::size_t n = 0;
    for (std::int32_t y = 0; y < a.height; ++y)
        for (std::int32_t x = 0; x < a.width * 4; ++x, ++n) {
            if (x % 4 == 3) continue;
            const double d = a.row_from_top(y)[x] - b.row_from_top(y)[x];
            sum += d * d;
        }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(n) / sum);
}

// Files made by each format's own tools from one picture: gradients crossed
// by edges, as photos have them (a JPEG's reduced decodes are only close to its
// full one for such pictures, not for noise). `options`: cjpeg's for a JPEG.
Bytes MadeBy(const std::string& extension, const std::string& options = "") {
    TempDir dir;
    const test::Picture picture = test::MakePicture(800, 600, 3, 255, [](int x, int y, int c) {
        return (x * (c + 1) / 4 + y / 3 + c * 90 + ((x / 37 + y / 29) % 2) * 60) % 256;
    });
    const std::string in = dir.path() + "/in", out = dir.path() + "/out" + extension;
    test::WritePam(picture, in + ".pam");
    test::RunTool("pamtopng " + in + ".pam > " + in + ".png");
    if (extension == ".png") return ReadWholeFile(in + ".png");
    if (extension == ".jpg")
        test::RunTool("pamtopnm " + in + ".pam > " + in + ".ppm && cjpeg " + options + " -outfile " + out + " " + in +
                      ".ppm");
    else
        test::RunTool((extension == ".heic" ? "heif-enc -q 70 " + in + ".png -o " : "cwebp -quiet -lossless " + in +
                                                                                       ".png -o ") + out);
    return ReadWholeFile(out);
}

// The DCT scale (in eighths) an area thumbnail of a picture scaled to
// scaled_width x scaled_height is decoded at, alone.
unsigned OwnScale(std::int32_t width, std::int32_t height, std::int32_t scaled_width, std::int32_t scaled_height) {
    for (const unsigned m : kAreaDctScaleNumerators) {
        const auto side = [m](std::int32_t n) { return (static_cast<std::int64_t>(n) * m + 7) / 8; };
        if (LeavesEnoughToAverage(side(width), side(height), scaled_width, scaled_height)) return m;
    }
    return 8;
}

struct SharedRow {
    const char* name;
    ImageFormat format;
    Bytes file;
};

// Several sizes of one decode against each size decoded alone: the same pixels,
// but for a JPEG's area thumbnail whose own decode would be at a coarser
// scale, which the shared decode stands in for by block means of its finer
// rows (40 dB at least).
TEST(SharedDecode, EveryThumbnailIsItsOwnDecodes) {
    const SharedRow rows[] = {
        {"JpegBaseline", ImageFormat::kJpeg, MadeBy(".jpg", "-quality 90")},
        {"JpegProgressive", ImageFormat::kJpeg, MadeBy(".jpg", "-quality 90 -progressive")},
        {"JpegTurned", ImageFormat::kJpeg, WithOrientation(MadeBy(".jpg", "-quality 90 -progressive"), 6)},
        {"Png", ImageFormat::kPng, MadeBy(".png")},
        {"Heic", ImageFormat::kHeic, MadeBy(".heic")},
        {"WebpLossless", ImageFormat::kWebp, MadeBy(".webp")},
    };
    for (const SharedRow& row : rows) {
        const MemoryBytes source(row.file);
        for (const ScaleFilter filter : {ScaleFilter::kNearest, ScaleFilter::kArea}) {
            const std::vector<Conversion> conversions = {Boxed(kFit, 200, 200, filter), Boxed(kFit, 100, 100, filter),
                                                         Boxed(kFill, 50, 50, filter), Boxed(kFill, 300, 40, filter, true)};
            const LoadedThumbnails shared = LoadThumbnails(source, row.format, conversions, {});
            ASSERT_EQ(shared.images.size(), conversions.size());
            Conversion copy;
            copy.resize = false;
            copy.photo.auto_orient = true;
            const Image whole = LoadThumbnail(source, row.format, copy, {}).image;
            unsigned finest = 1;
            for (const Conversion& c : conversions) {
                const DecodePlan plan = PlanOfConversion(c, whole.width, whole.height);
                finest = std::max(finest, OwnScale(whole.width, whole.height, ColumnsOf(plan.window, plan.width).scaled,
                                                   RowsOf(plan.window, plan.height).scaled));
            }
            for (std::size_t i = 0; i < conversions.size(); ++i) {
                const Image alone = LoadThumbnail(source, row.format, conversions[i], {}).image;
                ASSERT_TRUE(shared.images[i]);
                const Image& made = *shared.images[i];
                ASSERT_EQ(made.width, alone.width);
                ASSERT_EQ(made.height, alone.height);
                const DecodePlan plan = PlanOfConversion(conversions[i], whole.width, whole.height);
                const unsigned own = OwnScale(whole.width, whole.height, ColumnsOf(plan.window, plan.width).scaled,
                                              RowsOf(plan.window, plan.height).scaled);
                const std::string what = std::string(row.name) + (filter == ScaleFilter::kArea ? " area " : " nearest ") +
                                         std::to_string(i);
                if (row.format == ImageFormat::kJpeg && filter == ScaleFilter::kArea && own != finest)
                    EXPECT_GE(Psnr(made, alone), 40.0) << what;
                else
                    EXPECT_EQ(made.pixels, alone.pixels) << what;
            }
        }
    }
}

// A size without a sound result fails its own thumbnail, not the others.
TEST(SharedDecode, AnUnsoundSizeFailsAlone) {
    const Bytes file = test::MakeTestJpeg(1000, 10, "-quality 90");
    const MemoryBytes source(file);
    Conversion by_width;
    by_width.size = 30;
    by_width.basis = Basis::kWidth;  // 1000 x 10 by width 30: a height of 0
    const std::vector<Conversion> conversions = {by_width, Boxed(kFit, 100, 100, ScaleFilter::kNearest)};
    const LoadedThumbnails loaded = LoadThumbnails(source, ImageFormat::kJpeg, conversions, {});
    EXPECT_FALSE(loaded.images[0].has_value());
    ASSERT_TRUE(loaded.images[1].has_value());
    EXPECT_EQ(loaded.images[1]->width, 100);
    EXPECT_THROW(LoadThumbnails(source, ImageFormat::kJpeg, std::vector<Conversion>{by_width, by_width}, {}), LoadError);
}

}  // namespace
}  // namespace nuthumb
