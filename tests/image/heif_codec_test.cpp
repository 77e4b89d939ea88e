// HEIC and AVIF decoding against the reference decoders: heif-convert shares
// libheif, so HEIC must match it exactly; avifdec converts colours its own way.
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

Image Load(const Bytes& file, ImageFormat format, const Conversion& conversion) {
    const MemoryBytes source(file);
    return test::LoadImage(source, format, conversion, {});
}
const Conversion kWhole{ImageFormat::kPng, 0, Basis::kHeight, false};

int Wave(int x, int y, int c) { return (x * 5 + y * 3 + c * 90 + ((x / 8 + y / 8) % 2) * 60) & 255; }

// The picture turned a quarter anticlockwise, as irot 1 asks.
Picture TurnedAnticlockwise(const Picture& in) {
    Picture out{in.height, in.width, in.depth, in.maxval, {}};
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < in.depth; ++c) out.samples.push_back(in.at(in.width - 1 - y, x, c));
    return out;
}

struct Row {
    const char* name;
    ImageFormat format;
    int depth;
    std::string encode;     // from in.png to the file
    std::string reference;  // from the file to ref.png
    int tolerance;
    bool turned;            // the reference shows the stored image, unturned
};

// Each file decodes to its reference decoder's output, turned as the file says,
// with alpha where it has an alpha plane; thumbnails are the picks of it.
TEST(HeifCodec, DecodesLikeTheReferenceDecoders) {
    TempDir dir;
    const std::string d = dir.path();
    // avifdec converts YUV to RGB itself; libheif's rounding differs by at most
    // one step (measured on these pictures).
    const Row rows[] = {
        {"Heic", ImageFormat::kHeic, 3, "heif-enc -q 70", "heif-convert", 0, false},
        {"HeicAlpha", ImageFormat::kHeic, 4, "heif-enc -q 70", "heif-convert", 0, false},
        {"Avif", ImageFormat::kAvif, 3, "avifenc -s 10", "avifdec", 1, false},
        {"AvifAlpha", ImageFormat::kAvif, 4, "avifenc -s 10", "avifdec", 1, false},
        {"AvifTurned", ImageFormat::kAvif, 3, "avifenc -s 10 --irot 1", "avifdec", 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WritePam(MakePicture(48, 32, row.depth, 255, Wave), d + "/in.pam");
        RunTool("pamtopng " + d + "/in.pam > " + d + "/in.png");
        const std::string file = d + "/" + row.name + (row.format == ImageFormat::kAvif ? ".avif" : ".heic");
        RunTool(row.encode + " " + d + "/in.png -o " + file);
        RunTool(row.reference + " " + file + " " + d + "/ref.png");
        RunTool("pngtopam -alphapam " + d + "/ref.png > " + d + "/ref.pam");
        const Picture reference = AsRgba8(ReadPam(d + "/ref.pam"));
        const Bytes bytes = ReadWholeFile(file);

        const Image whole = Load(bytes, row.format, kWhole);
        EXPECT_EQ(whole.alpha, row.depth == 4);
        const int difference = MaxDifference(RgbaOf(whole), row.turned ? TurnedAnticlockwise(reference) : reference);
        EXPECT_GE(difference, 0) << "sizes differ";
        EXPECT_LE(difference, row.tolerance);
        const Image nearest = Load(bytes, row.format, {ImageFormat::kPng, 10, Basis::kHeight, true});
        EXPECT_EQ(nearest.pixels, StretchToThumbnail(whole, nearest.width, nearest.height).pixels);
    }
}

TEST(HeifCodec, DamagedFilesFail) {
    TempDir dir;
    WriteHeic(MakePicture(64, 64, 3, 255, Wave), dir.path() + "/a.heic");
    const Bytes good = ReadWholeFile(dir.path() + "/a.heic");
    Bytes cut = good;
    cut.resize(good.size() * 2 / 3);
    Bytes no_meta = good;  // the meta box renamed: no primary image
    const std::size_t meta = std::string(good.begin(), good.end()).find("meta");
    ASSERT_NE(meta, std::string::npos);
    no_meta[meta] = 'x';
    for (const Bytes& file : {cut, no_meta, Bytes(good.begin(), good.begin() + 24), Bytes{}})
        EXPECT_THROW(Load(file, ImageFormat::kHeic, kWhole), LoadError) << file.size();

    // Every image's ispe says 20000 x 20000 (400 MP): refused before decoding.
    Bytes bomb = good;
    const std::string text(good.begin(), good.end());
    for (std::size_t at = text.find("ispe"); at != std::string::npos; at = text.find("ispe", at + 1))
        for (const std::size_t side : {at + 8, at + 12})
            bomb[side] = 0, bomb[side + 1] = 0, bomb[side + 2] = 0x4e, bomb[side + 3] = 0x20;
    EXPECT_THROW(Load(bomb, ImageFormat::kHeic, {ImageFormat::kPng, 10, Basis::kHeight, true}), LoadError);
}

// A stop is seen while libheif reads the file, not only once its headers are
// read: a file read in tiny pieces cannot hold it up.
TEST(HeifCodec, AStopEndsTheDecodeWhileTheFileIsRead) {
    TempDir dir;
    WriteHeic(MakePicture(64, 64, 3, 255, Wave), dir.path() + "/a.heic");
    const Bytes file = ReadWholeFile(dir.path() + "/a.heic");
    const MemoryBytes source(file);
    bool asked_for_memory = false;
    DecodeOptions options{[] { return true; }};
    options.reserve_memory = [&](std::uint64_t, const DecodeOptions&) { asked_for_memory = true; };
    EXPECT_THROW(test::LoadImage(source, ImageFormat::kHeic, kWhole, options), DecodeCancelled);
    EXPECT_FALSE(asked_for_memory);
}

}  // namespace
}  // namespace nuthumb::test
