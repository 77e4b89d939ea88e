// A progressive JPEG decoded at a reduced scale is fed only the scans that scale
// reads; what comes out must be what the decode of every scan gives.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "codecs/jpeg_scan_list.h"
#include "pixels/load_error.h"
#include "codecs/jpeg_scan_choice.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The image's size; thumbnails of the sizes below get scales 1/8, 2/8 and 4/8
// (26 x 18, 51 x 36, 102 x 71: the smallest at least twice the thumbnail).
constexpr int kWidth = 203, kHeight = 141;
struct Size {
    std::int32_t width, height;
};
constexpr Size kSizes[] = {{12, 8}, {24, 17}, {45, 31}};

Image Area(const Bytes& file, Size size, bool every_scan) {
    const MemoryBytes bytes(file);
    DecodeOptions options;
    options.read_every_scan = every_scan;
    test::JpegFile codec;
    codec.ReadHeader(bytes, options);
    return codec->DecodeArea(size.width, size.height);
}

Bytes Progressive(const std::string& options, const std::string& script, bool gray) {
    TempDir dir;
    std::string scans;
    if (!script.empty()) {
        std::ofstream(dir.path() + "/scans.txt") << script;
        scans = " -scans " + dir.path() + "/scans.txt";
    }
    return test::MakeTestJpeg(kWidth, kHeight, options + (script.empty() ? " -progressive" : scans), gray);
}

struct Row {
    const char* name;
    const char* options;
    const char* script;  // empty: cjpeg's own progression, successive approximation included
    bool gray;
};

// Luma's band 3..3 and 5..5 are read by no scale below 3/8, yet the refinement of
// 1..63 needs them sent before it.
constexpr const char* kRefinedOverSkipped =
    "0,1,2: 0 0 0 1; 0: 1 2 0 1; 0: 3 3 0 1; 0: 5 5 0 1; 0: 4 4 0 1; 0: 6 63 0 1;"
    "1: 1 63 0 0; 2: 1 63 0 0; 0,1,2: 0 0 1 0; 0: 1 63 1 0;";
constexpr const char* kSpectral =
    "0,1,2: 0 0 0 0; 0: 1 2 0 0; 0: 3 3 0 0; 0: 4 4 0 0; 0: 5 5 0 0; 0: 6 63 0 0; 1: 1 63 0 0; 2: 1 63 0 0;";

class ScanSkipping : public testing::TestWithParam<Row> {};

TEST_P(ScanSkipping, AreaThumbnailsEqualTheDecodeOfEveryScan) {
    const Row& row = GetParam();
    const Bytes file = Progressive(row.options, row.script, row.gray);
    for (const Size size : kSizes) {
        const Image skipped = Area(file, size, false), full = Area(file, size, true);
        EXPECT_EQ(skipped.pixels, full.pixels) << size.width;
        EXPECT_EQ(skipped.damage, SourceDamage::kNone) << size.width;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Progressions, ScanSkipping,
    testing::Values(Row{"Gray", "-restart 2", "0: 0 0 0 1; 0: 1 2 0 1; 0: 3 3 0 1; 0: 5 5 0 1; 0: 4 4 0 1;"
                                              "0: 6 63 0 1; 0: 0 0 1 0; 0: 1 63 1 0;", true},
                    Row{"Sampled444Spectral", "-sample 1x1", kSpectral, false},
                    Row{"Sampled420Spectral", "-sample 2x2 -restart 1", kSpectral, false},
                    Row{"Sampled420Approximation", "-sample 2x2 -restart 1", "", false},
                    Row{"Sampled422Approximation", "-sample 2x1", "", false},
                    Row{"Sampled422RefinedOverSkipped", "-sample 2x1", kRefinedOverSkipped, false},
                    Row{"Sampled420RefinedOverSkipped", "-sample 2x2 -restart 3", kRefinedOverSkipped, false}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// One 8 x 8 gray block whose only coefficient is zigzag position `k` (none for
// -1), quantisation tables all 1.
Bytes OneCoefficient(int k) {
    // libjpeg keeps a pointer to the block array until the compression ends.
    jvirt_barray_ptr blocks = nullptr;
    return test::CompressInMemory([k, &blocks](jpeg_compress_struct& info) {
        info.image_width = info.image_height = 8;
        info.input_components = 1;
        info.in_color_space = JCS_GRAYSCALE;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 100, TRUE);
        auto* common = reinterpret_cast<j_common_ptr>(&info);
        blocks = info.mem->request_virt_barray(common, JPOOL_IMAGE, TRUE, 1, 1, 1);
        jpeg_write_coefficients(&info, &blocks);
        JBLOCKARRAY row = info.mem->access_virt_barray(common, blocks, 0, 1, TRUE);
        constexpr int kNatural[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                      12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                      35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                      58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
        for (JCOEF& c : row[0][0]) c = 0;
        if (k >= 0) row[0][0][kNatural[k]] = 40;
    });
}

// The one block decoded at scale eighths/8, every sample.
std::vector<std::uint8_t> DecodedAt(const Bytes& file, unsigned eighths) {
    int width = 0, height = 0;
    return test::DecodeAtScale(file, eighths, JCS_GRAYSCALE, width, height);
}

// The table of what each inverse DCT reads is what leaving scans out rests on:
// a coefficient that changes a scale's output must be in it.
TEST(CoefficientsRead, EveryCoefficientThatChangesTheOutputIsRead) {
    for (const unsigned eighths : {1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
        const std::vector<std::uint8_t> plain = DecodedAt(OneCoefficient(-1), eighths);
        int changed = 0;
        for (int k = 1; k < 64; ++k) {
            if (DecodedAt(OneCoefficient(k), eighths) == plain) continue;
            ++changed;
            EXPECT_TRUE(CoefficientsRead(eighths) >> k & 1) << eighths << "/8 reads " << k;
        }
        EXPECT_GE(changed, eighths * eighths - 1) << eighths;
    }
}

// Damage in a scan the scale never reads goes unnoticed there; damage in one it
// reads, or a cut file, is reported as by the decode of every scan.
TEST(ScanSkipping, DamageCountsOnlyWhereTheScaleReads) {
    const Bytes file = Progressive("-sample 2x2", "", false);
    const MemoryBytes bytes(file);
    const std::vector<int> ids{1, 2, 3};
    // The walk starts inside the first scan's data (DC of all three), after its header.
    std::size_t sos = 2;
    while (file[sos] != 0xFF || file[sos + 1] != 0xDA) sos += 2 + (file[sos + 2] << 8 | file[sos + 3]);
    ScanHeader dc;
    dc.begin = sos;
    dc.end = sos + 2 + (file[sos + 2] << 8 | file[sos + 3]);
    const ScanList list = ListScans(bytes, dc.end, ids, 100, {});
    ASSERT_TRUE(list.complete);
    ASSERT_EQ(list.scans.size(), 9u);  // cjpeg's script after the DC scan
    dc.end = list.scans[0].begin;
    const ScanHeader& luma_ac = list.scans[3];  // 0: 6 63 0 2
    ASSERT_EQ(luma_ac.ss, 6);

    auto damaged = [&](const ScanHeader& scan) {
        Bytes copy = file;
        const std::size_t middle = static_cast<std::size_t>((scan.begin + scan.end) / 2);
        for (std::size_t i = middle; i < middle + 8; ++i) copy[i] = 0x55;
        copy[middle + 8] = 0xFF, copy[middle + 9] = 0xD5;  // a restart marker that has no place there
        return copy;
    };
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>((luma_ac.begin + luma_ac.end) / 2));
    struct Case {
        const char* what;
        Bytes file;
        SourceDamage at_eighth, every_scan;
    } const cases[] = {
        {"AC scan damaged", damaged(luma_ac), SourceDamage::kNone, SourceDamage::kCorruptData},
        {"DC scan damaged", damaged(dc), SourceDamage::kCorruptData, SourceDamage::kCorruptData},
        {"cut in an AC scan", cut, SourceDamage::kTruncated, SourceDamage::kTruncated},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Area(c.file, kSizes[0], false).damage, c.at_eighth) << c.what;
        EXPECT_EQ(Area(c.file, kSizes[0], true).damage, c.every_scan) << c.what;
    }
}

// A damaged header's Ss can be any byte: such a scan is kept for the decoder to
// refuse, and choosing it shifts nothing out of range (UBSan).
TEST(ScanSkipping, BogusSpectralStartIsKept) {
    ScanHeader first, bogus;
    first.count = bogus.count = 1;
    bogus.ss = 143;
    bogus.se = 200;
    bogus.begin = 10;
    bogus.end = 20;
    const ScanHeader scans[] = {first, bogus};
    const std::uint64_t dc_only[] = {1};
    EXPECT_TRUE(SkippableScans(scans, dc_only).empty());
}

}  // namespace
}  // namespace nuthumb
