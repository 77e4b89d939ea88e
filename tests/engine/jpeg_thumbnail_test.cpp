// Scaling while decoding must give exactly what the scaler makes from the full
// decode, for every way a JPEG can be coded.
#include <gtest/gtest.h>

#include <string>

#include "engine/jpeg_codec.h"
#include "engine/scaler.h"
#include "tests/engine/jpeg_fixtures.h"

namespace nuthumb {
namespace {

struct ThumbnailRow {
    std::string name;
    std::string cjpeg_options;
    bool gray;
    std::int32_t source_width, source_height, width, height;
};

class JpegThumbnail : public testing::TestWithParam<ThumbnailRow> {};

TEST_P(JpegThumbnail, EqualsStretchOfFullDecode) {
    const ThumbnailRow& row = GetParam();
    const std::vector<std::uint8_t> file =
        test::MakeTestJpeg(row.source_width, row.source_height, row.cjpeg_options, row.gray);

    JpegCodec full;
    full.ReadHeader(file);
    const Image expected = StretchToThumbnail(full.DecodeImage(), row.width, row.height);

    JpegCodec streamed;
    streamed.ReadHeader(file);
    const Image thumb = streamed.DecodeThumbnail(row.width, row.height);

    EXPECT_EQ(thumb.width, expected.width);
    EXPECT_EQ(thumb.height, expected.height);
    EXPECT_EQ(thumb.bits_per_pixel, 32);
    EXPECT_EQ(thumb.top_down, expected.top_down);
    EXPECT_TRUE(thumb.pixels == expected.pixels);
}

TEST(JpegThumbnailCmyk, EqualsStretchOfFullDecode) {
    const std::vector<std::uint8_t> file =
        test::MakeCmykJpeg(211, 157, [](int x, int y, std::uint8_t* cmyk) {
            cmyk[0] = static_cast<std::uint8_t>(x);
            cmyk[1] = static_cast<std::uint8_t>(y * 3);
            cmyk[2] = static_cast<std::uint8_t>((x ^ y) * 5);
            cmyk[3] = static_cast<std::uint8_t>(255 - (x + y) / 2);
        });
    JpegCodec full;
    full.ReadHeader(file);
    const Image expected = StretchToThumbnail(full.DecodeImage(), 50, 37);
    JpegCodec streamed;
    streamed.ReadHeader(file);
    EXPECT_TRUE(streamed.DecodeThumbnail(50, 37).pixels == expected.pixels);
}

// Skipped rows must not disturb the kept ones: a sweep over sizes, samplings,
// codings and qualities, with the kept rows falling anywhere in the MCU rows.
TEST(JpegThumbnailSweep, EqualsStretchOfFullDecode) {
    std::uint32_t seed = 99;
    auto pick = [&seed](int lo, int hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(hi - lo + 1));
    };
    const std::string codings[] = {"", "-sample 1x1", "-sample 2x1", "-sample 1x2",
                                   "-progressive", "-progressive -sample 1x1", "-restart 1",
                                   "-arithmetic"};
    for (int i = 0; i < 40; ++i) {
        const int sw = pick(40, 400), sh = pick(40, 400), tw = pick(5, sw), th = pick(5, sh);
        const std::string options =
            codings[pick(0, 7)] + " -quality " + std::to_string(pick(50, 98));
        const std::vector<std::uint8_t> file = test::MakeTestJpeg(sw, sh, options);
        JpegCodec full;
        full.ReadHeader(file);
        const Image expected = StretchToThumbnail(full.DecodeImage(), tw, th);
        JpegCodec streamed;
        streamed.ReadHeader(file);
        EXPECT_TRUE(streamed.DecodeThumbnail(tw, th).pixels == expected.pixels)
            << sw << "x" << sh << " '" << options << "' -> " << tw << "x" << th;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JpegThumbnail,
    testing::Values(ThumbnailRow{"Baseline420Shrunk", "", false, 301, 203, 97, 40},
                    ThumbnailRow{"Baseline444Shrunk", "-sample 1x1", false, 301, 203, 97, 40},
                    ThumbnailRow{"Baseline422Shrunk", "-sample 2x1", false, 250, 170, 61, 30},
                    ThumbnailRow{"Progressive420Shrunk", "-progressive", false, 301, 203, 97, 40},
                    ThumbnailRow{"Progressive444Shrunk", "-progressive -sample 1x1", false, 180,
                                 260, 30, 43},
                    ThumbnailRow{"RestartMarkers", "-restart 1", false, 160, 120, 40, 30},
                    ThumbnailRow{"ArithmeticCoded", "-arithmetic", false, 301, 203, 97, 40},
                    ThumbnailRow{"ArithmeticProgressive", "-arithmetic -progressive", false, 301,
                                 203, 97, 40},
                    ThumbnailRow{"GrayDithered", "-grayscale", true, 301, 203, 97, 40},
                    ThumbnailRow{"GrayProgressive", "-grayscale -progressive", true, 120, 90, 33,
                                 25},
                    ThumbnailRow{"Enlarged", "", false, 20, 10, 100, 50},
                    ThumbnailRow{"EnlargedOneAxisShrunkOther", "", false, 40, 300, 100, 30},
                    ThumbnailRow{"SameSize", "", false, 64, 48, 64, 48}),
    [](const testing::TestParamInfo<ThumbnailRow>& info) { return info.param.name; });

}  // namespace
}  // namespace nuthumb
