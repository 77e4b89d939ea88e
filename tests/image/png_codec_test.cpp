// PNG decoding against pictures whose every pixel is known, encoded by netpbm.
#include <gtest/gtest.h>

#include <string>

#include "pixels/load_error.h"
#include "image/load_thumbnail.h"
#include "pixels/scaler.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Image Load(const Bytes& file, const Conversion& conversion, const DecodeOptions& options = {}) {
    const MemoryBytes source(file);
    return test::LoadImage(source, ImageFormat::kPng, conversion, options);
}
const Conversion kWhole{ImageFormat::kPng, 0, Basis::kHeight, false};

// Noise that uses the whole range of a sample, so no encoder can narrow it.
int Noise(int x, int y, int c) {
    std::uint32_t v = static_cast<std::uint32_t>(x * 7919 + y * 104729 + c * 15485863);
    v ^= v >> 13, v *= 0x5bd1e995u, v ^= v >> 15;
    return static_cast<int>(v);
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xffffffffu;
    while (n--) {
        crc ^= *p++;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct Kind {
    const char* name;
    Picture picture;
    std::string tool;     // netpbm command, reading the PAM or PNM file
    int bit_depth, color_type;
    int transparent = -1;  // the colour (0xRRGGBB) tRNS makes transparent
};

Picture Gray(int maxval) { return MakePicture(13, 7, 1, maxval, Noise); }
Picture Colours(int count) {
    return MakePicture(13, 7, 3, 255, [count](int x, int y, int c) { return ((x + 3 * y) % count) * 40 + c * 70; });
}

std::vector<Kind> Kinds() {
    // More pixels than a palette holds.
    const Picture rgb8 = MakePicture(23, 17, 3, 255, Noise);
    // The transparent colour appears in the picture.
    Picture keyed = rgb8;
    for (int c = 0; c < 3; ++c) keyed.samples[static_cast<std::size_t>(c)] = c == 0 ? 0xff : 0;
    Picture gray_keyed = Gray(255);
    gray_keyed.samples[5] = 0x80;
    return {
        {"Gray1", Gray(1), "pnmtopng", 1, 0},
        {"Gray2", Gray(3), "pnmtopng", 2, 0},
        {"Gray4", Gray(15), "pnmtopng", 4, 0},
        {"Gray8", Gray(255), "pnmtopng", 8, 0},
        {"Gray16", Gray(65535), "pnmtopng", 16, 0},
        {"Gray16Interlaced", Gray(65535), "pnmtopng -interlace", 16, 0},
        {"GrayKeyed", gray_keyed, "pnmtopng -transparent=rgb:80/80/80", 8, 0, 0x808080},
        {"GrayAlpha8", MakePicture(13, 7, 2, 255, Noise), "pamtopng", 8, 4},
        {"GrayAlpha16", MakePicture(13, 7, 2, 65535, Noise), "pamtopng", 16, 4},
        {"Palette1", Colours(2), "pnmtopng", 1, 3},
        {"Palette2", Colours(4), "pnmtopng", 2, 3},
        {"Palette4", Colours(16), "pnmtopng", 4, 3},
        {"Palette4Interlaced", Colours(16), "pnmtopng -interlace", 4, 3},
        {"Palette8", Colours(90), "pnmtopng", 8, 3},
        {"PaletteKeyed", Colours(4), "pnmtopng -transparent=rgb:28/6e/b4", 2, 3, 0x286eb4},
        {"Rgb8", rgb8, "pnmtopng", 8, 2},
        {"Rgb16", MakePicture(23, 17, 3, 65535, Noise), "pnmtopng", 16, 2},
        {"RgbKeyed", keyed, "pnmtopng -transparent=rgb:ff/00/00", 8, 2, 0xff0000},
        {"Rgba8", MakePicture(13, 7, 4, 255, Noise), "pamtopng", 8, 6},
        {"Rgba8Interlaced", MakePicture(13, 7, 4, 255, Noise), "pamtopng -interlace", 8, 6},
        {"Rgba16", MakePicture(13, 7, 4, 65535, Noise), "pamtopng", 16, 6},
    };
}

Bytes Encode(const Kind& kind, const std::string& folder) {
    const std::string in = folder + "/" + kind.name + ".pam", out = folder + "/" + kind.name + ".png";
    WritePam(kind.picture, in);
    // pnmtopng reads PNM only: pamtopnm makes one of a PAM without alpha.
    const bool pnm = kind.tool.rfind("pnmtopng", 0) == 0;
    RunTool((pnm ? "pamtopnm " + in + " | " + kind.tool : kind.tool + " " + in) + " > " + out);
    return ReadWholeFile(out);
}

Picture Expected(const Kind& kind) {
    Picture rgba = AsRgba8(kind.picture);
    if (kind.transparent < 0) return rgba;
    for (std::size_t i = 0; i < rgba.samples.size(); i += 4) {
        const int rgb = rgba.samples[i] << 16 | rgba.samples[i + 1] << 8 | rgba.samples[i + 2];
        if (rgb == kind.transparent) rgba.samples[i + 3] = 0;
    }
    return rgba;
}

// Every kind decodes exactly: bit depths spread to 8 bits and 16 rounded,
// palettes, transparency from alpha or tRNS, both interlacings. Its streamed
// thumbnails are the picks of the whole image, with alpha.
TEST(PngCodec, EveryKindDecodesExactly) {
    TempDir dir;
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        const Bytes file = Encode(kind, dir.path());
        ASSERT_GT(file.size(), 29u);
        EXPECT_EQ(file[24], kind.bit_depth);
        EXPECT_EQ(file[25], kind.color_type);
        EXPECT_EQ(file[28], kind.tool.find("interlace") != std::string::npos ? 1 : 0);
        const Image whole = Load(file, kWhole);
        EXPECT_EQ(whole.alpha, kind.transparent >= 0 || kind.color_type >= 4);
        EXPECT_EQ(whole.damage, SourceDamage::kNone);
        EXPECT_EQ(MaxDifference(RgbaOf(whole), Expected(kind)), 0);
        for (const std::int32_t size : {3, 20}) {
            const Image thumb = Load(file, {ImageFormat::kPng, size, Basis::kHeight, true});
            const Image picked = StretchToThumbnail(whole, thumb.width, thumb.height);
            EXPECT_EQ(thumb.pixels, picked.pixels) << size;
            EXPECT_EQ(thumb.alpha, whole.alpha);
        }
    }
}

Bytes SmallRgb(const std::string& folder, const std::string& options = "") {
    return Encode({"Damaged", MakePicture(64, 64, 3, 255, Noise), "pnmtopng -compression=0 " + options, 8, 2},
                  folder);
}

// Damage inside the image data keeps the rows before it and says so; damage in
// the headers, a lying size and a non-PNG fail before any row is made.
TEST(PngCodec, DamagedFilesFailAlone) {
    TempDir dir;
    const Bytes good = SmallRgb(dir.path());
    const std::size_t idat = std::string(good.begin(), good.end()).find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    struct Row {
        const char* name;
        Bytes file;
        SourceDamage damage;
    };
    Bytes cut = good;
    cut.resize(idat + 4 + 64 * 3 * 30);
    Bytes flipped = good;
    flipped[idat + 4 + 64 * 3 * 40] ^= 0x55;  // the chunk's checksum fails
    Bytes last_row = good;  // the last chunk's checksum, read after the last row is made
    last_row[good.size() - 13] ^= 0x02;
    for (const Row& row : {Row{"CutInsideItsData", cut, SourceDamage::kTruncated},
                           Row{"ChecksumWrong", flipped, SourceDamage::kCorruptData},
                           Row{"LastChecksumWrong", last_row, SourceDamage::kCorruptData}}) {
        SCOPED_TRACE(row.name);
        const Image whole = Load(row.file, kWhole);
        const Image thumb = Load(row.file, {ImageFormat::kBmp, 64, Basis::kHeight, true});
        EXPECT_EQ(whole.damage, row.damage);
        EXPECT_EQ(thumb.damage, row.damage);
        EXPECT_EQ(thumb.pixels, StretchToThumbnail(whole, 64, 64).pixels) << "the failed row differs";
    }
    const Image cut_whole = Load(cut, kWhole);
    EXPECT_EQ(RgbaOf(cut_whole).samples[4 * 64 * 20], 1u * (Noise(0, 20, 0) & 255)) << "rows before the cut are kept";

    Bytes wide = good;  // IHDR says 20000 x 20000 (400 MP) of a 12 KB file
    for (const int at : {16, 20}) wide[at] = 0, wide[at + 1] = 0, wide[at + 2] = 0x4e, wide[at + 3] = 0x20;
    const std::uint32_t crc = Crc32(&wide[12], 17);
    for (int i = 0; i < 4; ++i) wide[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    try {
        Load(wide, {ImageFormat::kPng, 10, Basis::kHeight, true});
        ADD_FAILURE() << "a 400 MP PNG loaded";
    } catch (const LoadError& e) {
        EXPECT_NE(std::string(e.what()).find("画像の画素数が上限を超えています"), std::string::npos) << e.what();
    }
    Bytes not_png = good;
    not_png[1] = 'Q';
    for (const Bytes& file : {Bytes(good.begin(), good.begin() + 20), not_png, Bytes{}})
        EXPECT_THROW(Load(file, kWhole), LoadError) << file.size();
}

// A nearest thumbnail asks the budget for a few rows, never the image; a copy
// asks for the whole image.
TEST(PngCodec, ThumbnailReservesRowsNotTheImage) {
    TempDir dir;
    const Bytes file = Encode({"Big", MakePicture(4000, 3000, 3, 255, [](int x, int, int) { return x; }), "pnmtopng",
                               8, 2},
                              dir.path());
    for (const bool resize : {true, false}) {
        std::uint64_t reserved = 0;
        DecodeOptions options;
        options.reserve_memory = [&](std::uint64_t bytes, const DecodeOptions&) { reserved = bytes; };
        Load(file, {ImageFormat::kJpeg, 100, Basis::kHeight, resize}, options);
        if (resize) EXPECT_LT(reserved, 4000u * 3000 / 20);
        else EXPECT_GE(reserved, 4000u * 3000 * 3);
    }
}

}  // namespace
}  // namespace nuthumb::test
