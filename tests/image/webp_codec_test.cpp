// WebP decoding against cwebp's input (lossless) and dwebp's output (lossy,
// and libwebp's own scaling, which dwebp -scale runs the same way).
#include <gtest/gtest.h>

#include <string>

#include "image/load_thumbnail.h"
#include "pixels/load_error.h"
#include "pixels/scaler.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Image Load(const Bytes& file, const Conversion& conversion) {
    const MemoryBytes source(file);
    return test::LoadImage(source, ImageFormat::kWebp, conversion, {});
}

int Wave(int x, int y, int c) { return (x * 9 + y * 5 + c * 80 + (x * y) % 23) & 255; }

struct Row {
    const char* name;
    int depth;            // 3 or 4
    std::string encode;   // how the file is made from in.pam (or the frames)
    bool lossless;        // compare with the picture itself, else with dwebp
};

// Lossless files decode to the picture itself, lossy ones to what dwebp gives;
// an animation gives its first frame. Nearest thumbnails are the picks of the
// whole image; area thumbnails are libwebp's own scaling, as dwebp -scale.
TEST(WebpCodec, DecodesLikeTheReferenceDecoder) {
    TempDir dir;
    const std::string d = dir.path();
    const Row rows[] = {
        {"Lossless", 3, "cwebp -quiet -lossless " + d + "/in.pam -o", true},
        {"LosslessAlpha", 4, "cwebp -quiet -lossless -exact " + d + "/in.pam -o", true},
        {"Lossy", 3, "cwebp -quiet -q 70 " + d + "/in.pam -o", false},
        {"LossyAlpha", 4, "cwebp -quiet -q 70 -exact " + d + "/in.pam -o", false},
        {"AnimatedGivesItsFirstFrame", 3, "img2webp -lossless " + d + "/in.pam -lossy " + d + "/other.pam -o", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Picture picture = MakePicture(61, 37, row.depth, 255, Wave);
        WritePam(picture, d + "/in.pam");
        WritePam(MakePicture(61, 37, row.depth, 255, [](int x, int, int) { return x; }), d + "/other.pam");
        const std::string file = d + "/" + row.name + ".webp";
        RunTool(row.encode + " " + file);
        const Bytes bytes = ReadWholeFile(file);

        const Image whole = Load(bytes, {ImageFormat::kPng, 0, Basis::kHeight, false});
        EXPECT_EQ(whole.alpha, row.depth == 4);
        if (!row.lossless) RunTool("dwebp -quiet " + file + " -pam -o " + d + "/ref.pam");
        const Picture expected = row.lossless ? AsRgba8(picture) : ReadPam(d + "/ref.pam");
        EXPECT_EQ(MaxDifference(RgbaOf(whole), expected), 0);

        const Image nearest = Load(bytes, {ImageFormat::kPng, 20, Basis::kHeight, true});
        EXPECT_EQ(nearest.pixels, StretchToThumbnail(whole, nearest.width, nearest.height).pixels);
        if (std::string(row.name).find("Animated") != std::string::npos) continue;
        PhotoOptions area;
        area.filter = ScaleFilter::kArea;
        const Image scaled = Load(bytes, {ImageFormat::kPng, 20, Basis::kHeight, true, area});
        RunTool("dwebp -quiet " + file + " -scale " + std::to_string(scaled.width) + " 20 -pam -o " + d + "/scaled.pam");
        EXPECT_EQ(MaxDifference(RgbaOf(scaled), ReadPam(d + "/scaled.pam")), 0);
        EXPECT_EQ(scaled.alpha, row.depth == 4);
    }
}

TEST(WebpCodec, DamagedFilesFail) {
    TempDir dir;
    WritePam(MakePicture(64, 64, 3, 255, Wave), dir.path() + "/in.pam");
    RunTool("cwebp -quiet -q 80 " + dir.path() + "/in.pam -o " + dir.path() + "/a.webp");
    const Bytes good = ReadWholeFile(dir.path() + "/a.webp");
    Bytes cut = good;
    cut.resize(good.size() / 2);
    Bytes garbled = good;  // the frame's start code
    garbled[23] ^= 0xa5;
    Bytes not_webp = good;
    not_webp[8] = 'X';
    for (const Bytes& file : {cut, garbled, not_webp, Bytes(good.begin(), good.begin() + 16), Bytes{}})
        EXPECT_THROW(Load(file, {ImageFormat::kPng, 0, Basis::kHeight, false}), LoadError) << file.size();
}

}  // namespace
}  // namespace nuthumb::test
