// JPEG XL decoding against djxl, the format's reference decoder (the same
// library): lossless and lossy files, alpha, gray, and a file the library must
// turn; then what is refused before any pixel is decoded.
#include <gtest/gtest.h>

#include <string>

#include "pixels/load_error.h"
#include "pixels/scaler.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Conversion kWhole{ImageFormat::kPng, 0, Basis::kHeight, false};

Image Load(const Bytes& file, const Conversion& conversion, const DecodeOptions& options = {}) {
    const MemoryBytes source(file);
    return LoadImage(source, ImageFormat::kJxl, conversion, options);
}

int Wave(int x, int y, int c) { return (x * 5 + y * 3 + c * 90 + ((x / 8 + y / 8) % 2) * 60) & 255; }

TEST(JxlCodec, DecodesLikeTheReferenceDecoder) {
    TempDir dir;
    const std::string d = dir.path();
    struct Row {
        const char* name;
        int depth;             // of the picture encoded
        std::string encode;    // from in.png (or in.jpg) to the file
        int tolerance;
    };
    const Row rows[] = {
        {"Lossless", 3, "cjxl -d 0 in.png", 0},
        {"Lossy", 3, "cjxl -d 1.5 in.png", 0},
        {"LosslessAlpha", 4, "cjxl -d 0 in.png", 0},
        {"Gray", 1, "cjxl -d 0 in.png", 0},
        // A camera JPEG turned by its EXIF: the JPEG XL file says so in its header.
        {"TurnedJpeg", 3, "pamtopnm in.pam > in.ppm && cjpeg -outfile plain.jpg in.ppm && "
                          "(printf '\\377\\330\\377\\341\\000\\042Exif\\000\\000MM\\000\\052\\000\\000\\000\\010"
                          "\\000\\001\\001\\022\\000\\003\\000\\000\\000\\001\\000\\006\\000\\000\\000\\000\\000\\000'"
                          " && tail -c +3 plain.jpg) > in.jpg && cjxl in.jpg", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WritePam(MakePicture(48, 32, row.depth, 255, Wave), d + "/in.pam");
        RunTool("cd " + d + " && pamtopng in.pam > in.png");
        RunTool("cd " + d + " && rm -f out.jxl && " + row.encode + " out.jxl && djxl out.jxl ref.png && "
                "pngtopam -alphapam ref.png > ref.pam");
        const Bytes bytes = ReadWholeFile(d + "/out.jxl");
        const Image whole = Load(bytes, kWhole);
        EXPECT_EQ(whole.alpha, row.depth == 4);
        const int difference = MaxDifference(RgbaOf(whole), AsRgba8(ReadPam(d + "/ref.pam")));
        EXPECT_GE(difference, 0) << "sizes differ";
        EXPECT_LE(difference, row.tolerance);
        const Image nearest = Load(bytes, {ImageFormat::kPng, 10, Basis::kHeight, true});
        EXPECT_EQ(nearest.pixels, StretchToThumbnail(whole, nearest.width, nearest.height).pixels);
        PhotoOptions area;
        area.filter = ScaleFilter::kArea;
        const Image averaged = Load(bytes, {ImageFormat::kPng, 10, Basis::kHeight, true, area});
        EXPECT_EQ(averaged.width, nearest.width);
    }
}

TEST(JxlCodec, RefusedFilesAndTheMemoryAsked) {
    TempDir dir;
    WritePam(MakePicture(64, 48, 3, 255, Wave), dir.path() + "/in.pam");
    RunTool("cd " + dir.path() + " && pamtopng in.pam > in.png && cjxl -d 1 in.png a.jxl");
    const Bytes good = ReadWholeFile(dir.path() + "/a.jxl");
    std::uint64_t asked = 0;
    DecodeOptions counting;
    counting.reserve_memory = [&asked](std::uint64_t bytes, const DecodeOptions&) { asked = bytes; };
    Load(good, kWhole, counting);
    EXPECT_GE(asked, std::uint64_t{64} * 48 * 4 * 2) << "the frame and its copy are counted";

    Bytes cut = good;
    cut.resize(good.size() * 2 / 3);
    Bytes damaged = good;
    for (std::size_t i = good.size() / 3; i < good.size(); i += 7) damaged[i] ^= 0x5A;
    // A header that says 20000 x 20000 (400 MP): refused by the pixel limit,
    // before the library is asked for a single pixel.
    Bytes huge = {0xFF, 0x0A, 0xFC, 0x70, 0x02, 0x7E, 0x38, 0x11};
    huge.resize(72);
    for (const Bytes& file : {cut, damaged, huge, Bytes(good.begin(), good.begin() + 2), Bytes{}}) {
        asked = 0;
        EXPECT_THROW(Load(file, kWhole, counting), LoadError) << file.size();
        if (file.size() == huge.size()) {
            EXPECT_EQ(asked, 0u);
        }
    }
    EXPECT_THROW(Load(good, kWhole, DecodeOptions([] { return true; })), DecodeCancelled);
}

}  // namespace
}  // namespace nuthumb::test
