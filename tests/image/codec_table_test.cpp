// The codec table, row by row: each format sniffs, lists, decodes a sample made
// by an encoder that is not ours, estimates it, has a fuzz target and, where it
// is written, reads back what it writes. A row without a sample here fails, so a
// new format cannot join the table untested.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "codecs/codec_table.h"
#include "image/decode_plan.h"
#include "platform/file_io.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/dng_file.h"
#include "tests/support/temp_dir.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// How each format's sample is made from in.ppm and in.png (48 x 32, RGB), and how
// far its pixels may stray (lossy coders, a develop's own brightening).
struct SampleMaker {
    std::string command;  // writes "out"
    int tolerance;
    Bytes (*make)(const Picture& picture) = nullptr;  // instead of a command
};

// A linear DNG of the picture's light: its develop gives the picture back,
// brightened a little (the develop lifts the brightest percent to white).
Bytes LinearDng(const Picture& picture) {
    const auto linear = [&picture](int x, int y, int c) {
        const double v = picture.at(x, y, c) / 255.0;
        return static_cast<std::uint16_t>(65535 * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4)));
    };
    return MakeDng({picture.width, picture.height, linear, false, 1, {}});
}
const std::map<ImageFormat, SampleMaker> kSamples = {
    {ImageFormat::kBmp, {"ppmtobmp in.ppm > out", 0}},
    {ImageFormat::kJpeg, {"cjpeg -quality 95 in.ppm > out", 40}},
    {ImageFormat::kPng, {"cp in.png out", 0}},
    {ImageFormat::kWebp, {"cwebp -quiet -lossless in.png -o out", 0}},
    {ImageFormat::kHeic, {"heif-enc -q 90 in.png -o out.heic && mv out.heic out", 40}},
    {ImageFormat::kAvif, {"avifenc -s 8 --min 0 --max 10 in.png out.avif && mv out.avif out", 40}},
    {ImageFormat::kJxl, {"cjxl -d 0 in.png out.jxl && mv out.jxl out", 0}},
    {ImageFormat::kRaw, {"", 24, LinearDng}},
};

// The numbers stored files give the formats; they never change meaning.
const std::map<ImageFormat, int> kStoredItems = {
    {ImageFormat::kBmp, 0},  {ImageFormat::kJpeg, 1}, {ImageFormat::kPng, 2},
    {ImageFormat::kWebp, 3}, {ImageFormat::kHeic, 4}, {ImageFormat::kAvif, 5},
};

int Gradient(int x, int y, int c) { return c == 0 ? x * 5 : c == 1 ? y * 7 : (x + y) * 3; }

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

DecodeRequest WholeRequest() {
    return RequestOfConversion({ImageFormat::kPng, 0, Basis::kHeight, false});
}

TEST(CodecTable, EveryRowSniffsListsDecodesEstimatesAndIsFuzzed) {
    TempDir dir;
    const Picture picture = MakePicture(48, 32, 3, 255, Gradient);
    WritePam(picture, dir.path() + "/in.pam");
    RunTool("cd " + dir.path() + " && pamtopnm in.pam > in.ppm && pnmtopng in.ppm > in.png");
    std::set<int> items;
    for (const Codec& codec : Codecs()) {
        SCOPED_TRACE(std::string(codec.name));
        ASSERT_TRUE(kSamples.count(codec.format)) << "a format without a sample in this test";
        const int item = ItemOf(codec.format);
        EXPECT_TRUE(items.insert(item).second) << "two rows with one item";
        EXPECT_NE(item, kEveryFormatItem);
        if (kStoredItems.count(codec.format)) EXPECT_EQ(item, kStoredItems.at(codec.format));
        else EXPECT_GT(item, kEveryFormatItem) << "a new format takes a number from 7 on";
        EXPECT_EQ(FormatOfItem(item), codec.format);
        EXPECT_EQ(FormatNamed(codec.name), codec.format);

        for (const std::string_view extension : codec.extensions) {
            EXPECT_EQ(FormatOfExtension(Upper(extension)), codec.format) << extension;
            EXPECT_TRUE(NamesFormat(extension, codec.format)) << extension;
        }
        EXPECT_TRUE(std::filesystem::exists(std::string(NUTHUMB_SOURCE_DIR) + "/fuzz/fuzz_" +
                                            std::string(codec.name) + ".cpp"));

        const SampleMaker& maker = kSamples.at(codec.format);
        if (!maker.make) RunTool("cd " + dir.path() + " && rm -f out && " + maker.command);
        const Bytes file = maker.make ? maker.make(picture) : ReadWholeFile(dir.path() + "/out");
        EXPECT_EQ(SniffFormat({file.data(), std::min(file.size(), kSniffBytes)}), codec.format);
        const MemoryBytes source(file);
        const std::uint64_t estimate = EstimateMemory(codec.format, source, WholeRequest());
        Decoded decoded = codec.decode(source, WholeRequest(), {});
        ASSERT_EQ(decoded.image.width, 48);
        ASSERT_EQ(decoded.image.height, 32);
        EXPECT_GE(estimate, std::uint64_t{48} * 32 * 3) << "the estimate must cover the decoded image";
        EXPECT_LE(MaxDifference(AsRgba8(RgbaOf(decoded.image)), AsRgba8(picture)), maker.tolerance);

        if (!codec.writable()) continue;
        const Bytes written = codec.encode(std::move(decoded.image), {90, false});
        EXPECT_EQ(SniffFormat({written.data(), std::min(written.size(), kSniffBytes)}), codec.format);
        const MemoryBytes again(written);
        EXPECT_EQ(codec.decode(again, WholeRequest(), {}).image.width, 48);
    }
}

TEST(CodecTable, FirstBytesNameTheFormatAndTheNameDecidesBetweenBmpAndJpeg) {
    const std::string ftyp = std::string("\0\0\0\x18", 4) + "ftyp";
    const std::pair<std::string, std::optional<ImageFormat>> rows[] = {
        {std::string("RIFF\x10\0\0\0WAVEfmt ", 16), std::nullopt},
        {ftyp + "mif1" + std::string(4, '\0') + "mif1msf1", ImageFormat::kHeic},
        {ftyp + "mif1" + std::string(4, '\0') + "mif1avif", ImageFormat::kAvif},  // AV1 wins over mif1
        {ftyp + "isom" + std::string(4, '\0') + "isomavc1", std::nullopt},          // a video
        // A brand past the box's own length does not count.
        {std::string("\0\0\0\x10", 4) + "ftypisom" + std::string(4, '\0') + "avif", std::nullopt},
        {"GIF89a", std::nullopt},
        // Camera RAW files: TIFF-based ones (DNG, CR2, NEF, ARW), ORF, RW2, RAF, CR3.
        {std::string("II*\0\x08\0\0\0", 8), ImageFormat::kRaw},
        {std::string("MM\0*\0\0\0\x08", 8), ImageFormat::kRaw},
        {"IIRO\x08", ImageFormat::kRaw},
        {std::string("IIU\0\x08\0", 6), ImageFormat::kRaw},
        {"FUJIFILMCCD-RAW 0201", ImageFormat::kRaw},
        {ftyp + "crx " + std::string(4, '\0') + "crx isom", ImageFormat::kRaw},
    };
    for (const auto& [head, format] : rows) EXPECT_EQ(SniffFormat(Text(head)), format) << head;

    // A BMP named .jpg fails in the JPEG reader, as it always has; a PNG named
    // .jpg is read as what it is.
    EXPECT_EQ(DecodedFormatOf(Text("BM    "), ImageFormat::kJpeg), ImageFormat::kJpeg);
    EXPECT_EQ(DecodedFormatOf(Text("\x89PNG\r\n\x1a\n"), ImageFormat::kJpeg), ImageFormat::kPng);
    EXPECT_EQ(DecodedFormatOf(Text("GIF89a"), ImageFormat::kWebp), ImageFormat::kWebp);
}

}  // namespace
}  // namespace nuthumb::test
