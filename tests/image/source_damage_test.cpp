// A source whose data ends early, or whose decoder stepped over corrupt data,
// still decodes as far as it goes, and every way of decoding it says so; data
// that merely looks odd says nothing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "image/load_thumbnail.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Jpeg() { return test::MakeTestJpeg(64, 48, ""); }

// Two bytes in the middle of the entropy data become an end marker: the decoder
// meets it before its blocks are done.
Bytes MarkerInsideTheData() {
    Bytes file = Jpeg();
    const std::size_t middle = file.size() * 3 / 4;
    file[middle] = 0xFF;
    file[middle + 1] = 0xD9;
    return file;
}

Bytes UnknownJfifRevision() {
    Bytes file = Jpeg();
    file[11] = 2;  // APP0 "JFIF\0", then the major version
    return file;
}

Bytes Rle8(std::int32_t width, std::int32_t height, Bytes stream) {
    test::BmpBuilder b;
    b.width = width;
    b.height = height;
    b.bits = 8;
    b.compression = 1;
    b.colors_used = 4;
    b.palette = {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    b.pixels = std::move(stream);
    return b.Build();
}

Bytes Plain24(std::size_t cut) {
    test::BmpBuilder b;
    b.width = 3;
    b.height = 4;
    b.pixels.assign(12 * 4, 0x40);
    Bytes file = b.Build();
    file.resize(file.size() - cut);
    return file;
}

struct Row {
    const char* name;
    ImageFormat format;
    std::function<Bytes()> make;
    SourceDamage expected;
};

TEST(SourceDamage, EveryDecodeNamesWhatTheFileLacked) {
    const Row rows[] = {
        {"JpegWhole", ImageFormat::kJpeg, Jpeg, SourceDamage::kNone},
        {"JpegCut", ImageFormat::kJpeg, [] { Bytes f = Jpeg(); f.resize(f.size() * 3 / 5); return f; },
         SourceDamage::kTruncated},
        {"JpegWithoutItsEndMarker", ImageFormat::kJpeg, [] { Bytes f = Jpeg(); f.resize(f.size() - 2); return f; },
         SourceDamage::kTruncated},
        {"JpegMarkerInsideTheData", ImageFormat::kJpeg, MarkerInsideTheData, SourceDamage::kCorruptData},
        {"JpegUnknownJfifRevision", ImageFormat::kJpeg, UnknownJfifRevision, SourceDamage::kNone},
        {"BmpWhole", ImageFormat::kBmp, [] { return Plain24(0); }, SourceDamage::kNone},
        {"BmpCutInsideItsRows", ImageFormat::kBmp, [] { return Plain24(5); }, SourceDamage::kTruncated},
        {"RleEndsBeforeTheImageWithoutItsMark", ImageFormat::kBmp, [] { return Rle8(2, 2, {2, 1}); },
         SourceDamage::kTruncated},
        {"RleCutInsideALiteralRun", ImageFormat::kBmp, [] { return Rle8(4, 1, {0, 4, 1, 2}); },
         SourceDamage::kTruncated},
        // An early end-of-bitmap mark is how a writer leaves pixels out.
        {"RleEndsEarlyWithItsMark", ImageFormat::kBmp, [] { return Rle8(2, 2, {2, 1, 0, 1}); },
         SourceDamage::kNone},
        {"RleLastRowFullWithoutItsMark", ImageFormat::kBmp, [] { return Rle8(2, 2, {2, 1, 0, 0, 2, 3}); },
         SourceDamage::kNone},
    };
    for (const Row& row : rows) {
        const Bytes file = row.make();
        for (const auto& [way, resize, filter] : {std::tuple{"copy", false, ScaleFilter::kNearest},
                                                  std::tuple{"nearest", true, ScaleFilter::kNearest},
                                                  std::tuple{"area", true, ScaleFilter::kArea}}) {
            Conversion conversion{ImageFormat::kBmp, 2, Basis::kHeight, resize};
            conversion.photo.filter = filter;
            const MemoryBytes bytes(file);
            const Image image = test::LoadImage(bytes, row.format, conversion, {});
            EXPECT_EQ(image.damage, row.expected) << row.name << " " << way;
        }
    }
}

}  // namespace
}  // namespace nuthumb
