// Whole conversions through PrepareThumbnail: which decoder a file's bytes
// choose, and what each target makes of alpha.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codecs/bmp_reader.h"
#include "codecs/codec_table.h"
#include "image/load_thumbnail.h"
#include "image/prepare_thumbnail.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Gentle enough for lossy coding to stay close; alpha from 14 to 255.
int Smooth(int x, int y, int c) { return c < 3 ? x * 4 + c * 30 + y : 255 - x * 5 - y * 2; }

Image Decode(const Bytes& file, ImageFormat format) {
    const MemoryBytes source(file);
    return test::LoadImage(source, format, {ImageFormat::kPng, 0, Basis::kHeight, false}, {});
}

// An RGBA PNG copied into each target: PNG keeps it exactly, WebP keeps alpha
// exactly and colours closely, BMP lays it over white exactly, JPEG closely.
// The PNG is named .jpg: its bytes choose the decoder.
TEST(FormatTargets, AlphaIsKeptOrLaidOverWhite) {
    TempDir dir;
    const Picture picture = MakePicture(40, 24, 4, 255, Smooth);
    WritePam(picture, dir.path() + "/in.pam");
    const std::string source = dir.path() + "/phone.jpg";
    RunTool("pamtopng " + dir.path() + "/in.pam > " + source);
    const Picture rgba = AsRgba8(picture);
    Picture over_white = rgba;
    for (std::size_t i = 0; i < over_white.samples.size(); i += 4) {
        const unsigned a = over_white.samples[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            over_white.samples[i + c] = static_cast<std::uint16_t>((over_white.samples[i + c] * a + 255 * (255 - a) + 127) / 255);
        over_white.samples[i + 3] = 255;
    }
    struct Row {
        ImageFormat target;
        const Picture& expected;
        int tolerance;
    };
    for (const Row& row : {Row{ImageFormat::kPng, rgba, 0}, Row{ImageFormat::kWebp, rgba, 12},
                           Row{ImageFormat::kBmp, over_white, 0}, Row{ImageFormat::kJpeg, over_white, 12}}) {
        SCOPED_TRACE(std::string(ExtensionOfFormat(row.target)));
        const PreparedThumbnail prepared =
            PrepareThumbnail(source, {row.target, 0, Basis::kHeight, false, {false, 95}}, {});
        ASSERT_EQ(prepared.outcome, PreparedThumbnail::Outcome::kReady) << prepared.reason;
        const Image target = row.target == ImageFormat::kBmp ? LoadBitmap(prepared.target_bytes)
                                                             : Decode(prepared.target_bytes, row.target);
        const Picture got = RgbaOf(target);
        EXPECT_LE(MaxDifference(got, row.expected), row.tolerance);
        for (std::size_t i = 3; i < got.samples.size(); i += 4) ASSERT_EQ(got.samples[i], row.expected.samples[i]) << i;
    }
}

// A stop request ends each decoder with DecodeCancelled, never as damage.
TEST(FormatTargets, StopRequestEndsEveryDecoder) {
    TempDir dir;
    const std::string d = dir.path();
    WritePam(MakePicture(32, 16, 3, 255, Smooth), d + "/in.pam");
    RunTool("pamtopng " + d + "/in.pam > " + d + "/a.png");
    RunTool("cwebp -quiet " + d + "/in.pam -o " + d + "/a.webp");
    RunTool("heif-enc " + d + "/a.png -o " + d + "/a.heic");
    const DecodeOptions stop([] { return true; });
    for (const auto& [name, format] : {std::pair{"a.png", ImageFormat::kPng}, std::pair{"a.webp", ImageFormat::kWebp},
                                       std::pair{"a.heic", ImageFormat::kHeic}}) {
        const Bytes file = ReadWholeFile(d + "/" + name);
        const MemoryBytes source(file);
        EXPECT_THROW(test::LoadImage(source, format, {ImageFormat::kPng, 8, Basis::kHeight, true}, stop),
                     DecodeCancelled)
            << name;
    }
}

}  // namespace
}  // namespace nuthumb::test
