// A BMP scaled while it is read must give exactly what the stretch of the whole
// decoded image gives, and refuse exactly the files the whole load refuses, for
// every file of the public suite and for every bit depth, row order, cut and
// colour-table length of our own.
#include "codecs/bmp_thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "codecs/bmp_reader.h"
#include "pixels/load_error.h"
#include "pixels/scaler.h"
#include "platform/file_io.h"
#include "tests/support/bmp_builder.h"

namespace nuthumb {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<Image> WholeThenStretched(const Bytes& file, std::int32_t width, std::int32_t height) {
    try {
        return StretchToThumbnail(LoadBitmap(file), width, height);
    } catch (const LoadError&) {
        return std::nullopt;
    }
}

std::optional<Image> ScaledWhileRead(const Bytes& file, std::int32_t width, std::int32_t height) {
    try {
        const MemoryBytes bytes(file);
        return DecodeBitmapThumbnail(bytes, ReadBmpHeader(bytes, kMaxPixels), width, height, {});
    } catch (const LoadError&) {
        return std::nullopt;
    }
}

struct FileRow {
    std::string name;
    std::function<Bytes()> file;
};
void PrintTo(const FileRow& row, std::ostream* os) { *os << row.name; }

class ScaledWhileReading : public testing::TestWithParam<FileRow> {};

TEST_P(ScaledWhileReading, EqualsStretchOfWholeImage) {
    const Bytes file = GetParam().file();
    std::int32_t w = 9, h = 9;  // for a file whose header fails: any size
    try {
        const MemoryBytes bytes(file);
        const BmpHeader header = ReadBmpHeader(bytes, kMaxPixels);
        w = header.width;
        h = header.height;
    } catch (const LoadError&) {
    }
    // Shrunk, one pixel, each axis alone, unchanged, enlarged: the 1-bit rule ANDs
    // along shrunk axes only.
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {std::max(1, w / 3), std::max(1, h / 4)}, {1, 1}, {w, std::max(1, h / 2)}, {std::max(1, w / 2), h},
        {w, h}, {2 * w + 1, 3 * h + 2}};
    for (const auto& [tw, th] : sizes) {
        const std::optional<Image> expected = WholeThenStretched(file, tw, th);
        const std::optional<Image> actual = ScaledWhileRead(file, tw, th);
        ASSERT_EQ(actual.has_value(), expected.has_value()) << tw << "x" << th;
        if (expected) {
            EXPECT_TRUE(actual->pixels == expected->pixels) << tw << "x" << th;
        }
    }
}

std::vector<FileRow> SuiteFiles() {
    std::vector<FileRow> rows;
    const std::string suite = std::string(NUTHUMB_CORPUS_DIR) + "/bmpsuite/";
    for (const char* folder : {"g", "q", "b"}) {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(suite + folder, ec))
            if (entry.path().extension() == ".bmp") names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string path = suite + folder + "/" + name;
            rows.push_back({std::string(folder) + "_" + name.substr(0, name.size() - 4), [path] { return ReadWholeFile(path); }});
        }
    }
    return rows;
}

// Noise in every stored byte, so that each picked row and column shows.
test::BmpBuilder Noise(std::uint16_t bits, std::int32_t width, std::int32_t height) {
    test::BmpBuilder b;
    b.bits = bits;
    b.width = width;
    b.height = height;
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i)
            b.palette.push_back({static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 91), static_cast<std::uint8_t>(255 - i)});
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    std::uint32_t seed = 7u * bits + static_cast<std::uint32_t>(width);
    for (std::size_t i = 0; i < stride * static_cast<std::size_t>(height < 0 ? -height : height); ++i) {
        seed = seed * 1103515245u + 12345u;
        b.pixels.push_back(static_cast<std::uint8_t>(seed >> 16));
    }
    return b;
}

std::vector<FileRow> OwnFiles() {
    std::vector<FileRow> rows;
    for (const std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        for (const bool top_down : {false, true}) {
            const std::string name = "Bits" + std::to_string(bits) + (top_down ? "TopDown" : "BottomUp");
            rows.push_back({name, [=] { return Noise(bits, 37, top_down ? -23 : 23).Build(); }});
            rows.push_back({name + "Cut", [=] {
                                Bytes f = Noise(bits, 37, top_down ? -23 : 23).Build();
                                f.resize(f.size() * 2 / 3);
                                return f;
                            }});
        }
    }
    rows.push_back({"BitFields16", [] {
                        test::BmpBuilder b = Noise(16, 31, 17);
                        b.compression = 3;
                        b.masks = std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F};
                        return b.Build();
                    }});
    rows.push_back({"BitFields32InV5Header", [] {
                        test::BmpBuilder b = Noise(32, 31, -17);
                        b.header_size = 124;
                        b.compression = 3;
                        b.masks = std::array<std::uint32_t, 3>{0x3FF00000, 0x000FFC00, 0x000003FF};
                        return b.Build();
                    }});
    // A bad index in the last stored row, which few sizes pick: refused whatever
    // the size, as by the whole load.
    rows.push_back({"ShortPaletteBadIndexInOneRow", [] {
                        test::BmpBuilder b = Noise(8, 16, 12);
                        std::fill(b.pixels.begin(), b.pixels.end(), 3);
                        b.palette.resize(10);
                        b.colors_used = 10;
                        b.pixels[b.pixels.size() - 1] = 200;
                        return b.Build();
                    }});
    rows.push_back({"ShortPaletteValid", [] {
                        test::BmpBuilder b = Noise(4, 16, 12);
                        for (auto& p : b.pixels) p &= 0x55;
                        b.palette.resize(6);
                        b.colors_used = 6;
                        return b.Build();
                    }});
    // Run-length streams: encoded and literal runs, rows ended early, a delta over
    // rows, no end-of-bitmap mark; too short an image for the delta is refused.
    const Bytes rle8 = {3, 1, 0, 4, 5, 6, 7, 8, 4, 2, 0, 0, 2, 0, 2, 3, 2, 7, 0, 2, 2, 2, 5, 4, 0, 0, 0, 3, 9, 1, 2, 0};
    const Bytes rle4 = {5, 0x12, 0, 6, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 3, 9, 0xAB, 0, 0, 11, 0x3C};
    for (const auto& [name, bits, stream] : {std::tuple{"Rle8", 8, rle8}, std::tuple{"Rle4", 4, rle4}}) {
        rows.push_back({name, [=] {
                            test::BmpBuilder b = Noise(static_cast<std::uint16_t>(bits), 13, 7);
                            b.compression = bits == 8 ? 1 : 2;
                            b.pixels = stream;
                            return b.Build();
                        }});
        rows.push_back({std::string(name) + "RunPastLastRow", [=] {
                            test::BmpBuilder b = Noise(static_cast<std::uint16_t>(bits), 13, 2);
                            b.compression = bits == 8 ? 1 : 2;
                            b.pixels = stream;
                            return b.Build();
                        }});
    }
    return rows;
}

std::string RowName(const testing::TestParamInfo<FileRow>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, ScaledWhileReading, testing::ValuesIn(SuiteFiles()), RowName);
INSTANTIATE_TEST_SUITE_P(Own, ScaledWhileReading, testing::ValuesIn(OwnFiles()), RowName);

}  // namespace
}  // namespace nuthumb
