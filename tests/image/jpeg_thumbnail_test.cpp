// Scaling while decoding must give exactly what the scaler makes from the full
// decode, for every way a JPEG can be coded.
#include <gtest/gtest.h>

#include <string>

#include "pixels/scaler.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/jpeg_file.h"

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

    test::JpegFile full;
    full.ReadHeader(file);
    const Image expected = StretchToThumbnail(full->DecodeImage(), row.width, row.height);

    test::JpegFile streamed;
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
    test::JpegFile full;
    full.ReadHeader(file);
    const Image expected = StretchToThumbnail(full->DecodeImage(), 50, 37);
    test::JpegFile streamed;
    streamed.ReadHeader(file);
    EXPECT_TRUE(streamed.DecodeThumbnail(50, 37).pixels == expected.pixels);
}

// Every sampling the encoder accepts, in every coding, at every thumbnail height
// of sources with several MCU rows and odd sides (one so narrow that the decoder
// upsamples its chroma the plain way): the rows a thumbnail keeps must be exactly
// the ones the full decode has, whatever is skipped or not.
TEST(JpegThumbnailSweep, EveryHeightEqualsStretchOfFullDecode) {
    const std::string samplings[] = {
        "1x1", "1x2", "1x3", "1x4", "2x1", "2x2", "2x3", "2x4", "3x1", "3x2", "4x1", "4x2",
        "2x2,2x1,1x1", "2x2,1x2,1x1", "3x2,1x2,1x1", "2x2,2x2,1x1", "1x1,2x2,1x1"};
    const std::string codings[] = {"", "-progressive", "-arithmetic"};
    const std::pair<int, int> sizes[] = {{29, 133}, {4, 97}};
    for (const auto& [width, height] : sizes) {
        for (const std::string& sampling : samplings) {
            for (const std::string& coding : codings) {
                const std::string options = coding + " -sample " + sampling;
                const std::vector<std::uint8_t> file = test::MakeTestJpeg(width, height, options);
                test::JpegFile full;
                full.ReadHeader(file);
                const Image source = full->DecodeImage();
                int wrong = 0;
                for (int th = 1; th <= height && wrong < 3; ++th) {
                    const int tw = 1 + (th * 13) % width;
                    test::JpegFile streamed;
                    streamed.ReadHeader(file);
                    const bool same = streamed.DecodeThumbnail(tw, th).pixels ==
                                      StretchToThumbnail(source, tw, th).pixels;
                    EXPECT_TRUE(same) << width << "x" << height << " '" << options << "' -> " << tw << "x" << th;
                    wrong += same ? 0 : 1;
                }
            }
        }
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
