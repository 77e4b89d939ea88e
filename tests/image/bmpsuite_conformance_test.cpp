// Every file of the public BMP suite: the good ones must decode to the same pixels
// as an independent decoder, the others must load or fail with LoadError, and
// whatever loads must also survive the stretch and the writer.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "codecs/bmp_writer.h"
#include "codecs/bmp_reader.h"
#include "pixels/load_error.h"
#include "pixels/scaler.h"
#include "platform/file_io.h"
#include "tests/image/image_rows.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

const std::string kSuite = std::string(NUTHUMB_CORPUS_DIR) + "/bmpsuite/";
const std::string kReference = std::string(NUTHUMB_SOURCE_DIR) + "/tests/image/bmp_reference.py";
const std::string kPython = "/usr/bin/python3";

std::vector<std::string> FilesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kSuite + folder, ec)) {
        if (entry.path().extension() == ".bmp") names.push_back(folder + "/" + entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string RowName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }  // paths here hold no quote

// The reference decoder's pixels as 0xRRGGBB, top row first; sets `skip` when the
// decoder is not installed.
std::vector<std::uint32_t> ReferencePixels(const std::string& path, std::int32_t& width, std::int32_t& height,
                                           bool& skip) {
    TempDir dir;
    const std::string out = dir.path() + "/ref.raw";
    const int status = std::system((kPython + " " + Quoted(kReference) + " " + Quoted(path) + " " + Quoted(out)).c_str());
    skip = WIFEXITED(status) && WEXITSTATUS(status) == 3;
    if (status != 0) return {};
    const auto raw = ReadWholeFile(out);
    const auto newline = std::find(raw.begin(), raw.end(), '\n');
    std::sscanf(std::string(raw.begin(), newline).c_str(), "%d %d", &width, &height);
    std::vector<std::uint32_t> rgb;
    for (auto p = newline + 1; raw.end() - p >= 3; p += 3) {
        rgb.push_back(std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
    }
    return rgb;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    }
    return worst;
}

// Loads the file and drives what loaded through the rest of the path; returns
// false when it failed cleanly.
bool LoadAndUse(const std::string& path) {
    try {
        const Image image = LoadBitmap(ReadWholeFile(path));
        if (image.empty()) return true;
        test::RgbFromTop(image);
        ComposeBitmapFile(StretchToThumbnail(image, 7, 5));
        ComposeBitmapFile(image);
        return true;
    } catch (const LoadError&) {
        return false;
    }
}

// A suite file and the file whose pixels it must have, read by the reference
// decoder: itself, as a rule.
struct Pair {
    std::string file, reference;
};
void PrintTo(const Pair& p, std::ostream* os) { *os << p.file; }

std::vector<Pair> GoodFiles() {
    std::vector<Pair> pairs;
    for (const auto& name : FilesOf("g")) pairs.push_back({name, name});
    for (auto& p : pairs) {
        // Pillow 9.4 (Debian 12) misplaces RLE4 runs and refuses this mask
        // layout: compare with the suite's uncompressed file of the same picture.
        if (p.file == "g/pal4rle.bmp") p.reference = "g/pal4.bmp";
        if (p.file == "g/rgb32bf.bmp") p.reference = "g/rgb24.bmp";
    }
    // Questionable files with one sound reading. The run-length files leave
    // pixels undefined (by a delta or an early end), which stay black here, as
    // in the suite's own renderings with a black background.
    for (const char* name : {"pal1p1", "pal8offs", "pal8os2-hs", "pal8os2-sz", "pal8os2sp", "pal8os2v2",
                             "pal8os2v2-40sz", "pal8os2v2-sz", "rgb24largepal", "rgb32-xbgr", "rgb32fakealpha",
                             "rgba32-1", "rgb16faketrns", "rgba16-5551"}) {
        pairs.push_back({std::string("q/") + name + ".bmp", std::string("q/") + name + ".bmp"});
    }
    for (const char* name : {"pal4rlecut", "pal4rletrns", "pal8rlecut", "pal8rletrns"}) {
        pairs.push_back({std::string("q/") + name + ".bmp", std::string("html/") + name + "-b.png"});
    }
    return pairs;
}

class GoodFile : public testing::TestWithParam<Pair> {};

TEST_P(GoodFile, MatchesReferenceDecoder) {
    const std::string path = kSuite + GetParam().file;
    const Image image = LoadBitmap(ReadWholeFile(path));
    std::int32_t width = 0, height = 0;
    bool skip = false;
    const auto expected = ReferencePixels(kSuite + GetParam().reference, width, height, skip);
    if (skip) GTEST_SKIP() << kPython << " has no PIL (install python3-pil)";
    ASSERT_FALSE(expected.empty()) << "reference decoder failed";
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    const auto actual = test::RgbFromTop(image);
    ASSERT_EQ(actual.size(), expected.size());
    // Expanding n-bit channels to 8 bits has two common roundings.
    const int tolerance = (image.bits_per_pixel == 16 || image.compression == 3) ? 1 : 0;
    int worst = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const int d = ChannelDistance(actual[i], expected[i]);
        ASSERT_LE(d, tolerance) << "pixel " << i % static_cast<std::size_t>(width) << ","
                                << i / static_cast<std::size_t>(width) << std::hex << " ours " << actual[i]
                                << " reference " << expected[i];
        worst = std::max(worst, d);
    }
    RecordProperty("max_channel_difference", worst);
    EXPECT_TRUE(LoadAndUse(path));
}

std::string PairName(const testing::TestParamInfo<Pair>& info) {
    return RowName(testing::TestParamInfo<std::string>(info.param.file, info.index));
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, GoodFile, testing::ValuesIn(GoodFiles()), PairName);

// Bad, questionable and related files: loading or a LoadError are both fine;
// anything else (a crash, another exception, a sanitizer report) is not.
class OtherFile : public testing::TestWithParam<std::string> {};

TEST_P(OtherFile, LoadsOrFailsCleanly) {
    EXPECT_NO_THROW(LoadAndUse(kSuite + GetParam()));
}

std::vector<std::string> OtherFiles() {
    std::vector<std::string> all;
    for (const char* folder : {"b", "q", "x"}) {
        const auto files = FilesOf(folder);
        all.insert(all.end(), files.begin(), files.end());
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, OtherFile, testing::ValuesIn(OtherFiles()), RowName);

TEST(BmpSuite, CorpusIsPresent) {
    EXPECT_GE(FilesOf("g").size(), 20u) << "missing " << kSuite;
}

}  // namespace
}  // namespace nuthumb
