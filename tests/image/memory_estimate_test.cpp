// What a conversion reserves before it decodes covers what it then holds at once:
// the decoded image beside its target file.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codecs/jpeg_destination.h"
#include "image/prepare_thumbnail.h"
#include "platform/file_io.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/temp_dir.h"
#include "codecs/jpeg_encoder.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

test::BmpBuilder Plain(std::uint16_t bits, std::int32_t width, std::int32_t height) {
    test::BmpBuilder b;
    b.bits = bits, b.width = width, b.height = height;
    b.pixels.assign(static_cast<std::size_t>((width * bits + 31) / 32 * 4) * height, 0x33);
    return b;
}

TEST(MemoryEstimate, CopiesReserveTheImageAndTheTargetTogether) {
    test::BmpBuilder rle;
    rle.width = 255, rle.height = 100, rle.bits = 8, rle.compression = 1;
    rle.colors_used = 2;
    rle.palette = {{0, 0, 0}, {9, 9, 9}};
    for (int y = 0; y < 100; ++y) rle.pixels.insert(rle.pixels.end(), {255, 1, 0, 0});
    const struct {
        const char* name;
        test::BmpBuilder file;
        ImageFormat target;
        std::uint64_t decoded;  // bytes of the image as loaded
    } rows[] = {
        {"Bmp32ToBmp", Plain(32, 300, 200), ImageFormat::kBmp, 300 * 200 * 4},
        {"Bmp24ToBmp", Plain(24, 301, 200), ImageFormat::kBmp, 904 * 200},
        {"Bmp32ToJpeg", Plain(32, 300, 200), ImageFormat::kJpeg, 300 * 200 * 4},
        {"Rle8ToBmp", rle, ImageFormat::kBmp, 255 * 100 * 4},
    };
    TempDir dir;
    for (const auto& row : rows) {
        const std::string path = dir.path() + "/" + row.name + ".bmp";
        WriteFileAtomic(path, row.file.Build());
        std::uint64_t reserved = 0;
        DecodeOptions options;
        options.reserve_memory = [&reserved](std::uint64_t bytes, const DecodeOptions&) { reserved += bytes; };
        const PreparedThumbnail p = PrepareThumbnail(path, Conversion{row.target, 0, Basis::kHeight, false}, options);
        ASSERT_EQ(p.outcome, PreparedThumbnail::Outcome::kReady) << row.name;
        EXPECT_GE(reserved, row.decoded + p.target_bytes.size()) << row.name;
    }
}

// The encoder writes into one reservation for the largest result it can have;
// noise at the highest quality comes closest, and must not make it grow.
TEST(MemoryEstimate, EncodedDataNeverOutgrowsItsReservation) {
    std::mt19937 noise(7);
    for (const auto& [width, height] : {std::pair{257, 131}, std::pair{16, 16}, std::pair{1, 1}}) {
        Image image;
        image.width = width, image.height = height, image.bits_per_pixel = 24;
        image.pixels.resize(image.stride() * static_cast<std::size_t>(height));
        for (auto& b : image.pixels) b = static_cast<std::uint8_t>(noise());
        const Bytes encoded = EncodeJpeg(image, 100);
        EXPECT_EQ(encoded.capacity(), MaxEncodedBytes(width, height)) << width << " x " << height;
        EXPECT_GT(encoded.size(), 0u);
    }
}

}  // namespace
}  // namespace nuthumb
