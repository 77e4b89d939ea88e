// Gallery outputs on the command line and in batch files: sizes above 640,
// boxes and crops, and variants, each written where and as large as it should.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "tests/cli/cli_process.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"

namespace nuthumb {
namespace {

using Size = std::pair<std::int32_t, std::int32_t>;

// Width and height from a BMP's or a PNG's header.
Size SizeOf(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    const auto le = [&](std::size_t at) {
        return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
    };
    const auto be = [&](std::size_t at) {
        return static_cast<std::int32_t>(bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]);
    };
    if (bytes.size() > 26 && bytes[0] == 'B') return {le(18), le(22)};
    if (bytes.size() > 24 && bytes[1] == 'P') return {be(16), be(20)};
    return {0, 0};
}

struct GalleryRow {
    const char* name;
    std::int32_t source_width, source_height;
    std::vector<std::string> args;  // after SOURCE_DIR DEST_DIR
    std::map<std::string, Size> outputs;  // below DEST_DIR
    friend void PrintTo(const GalleryRow& row, std::ostream* os) { *os << row.name; }
};

class CliGallery : public testing::TestWithParam<GalleryRow>, protected test::RunFolders {};

TEST_P(CliGallery, Runs) {
    const GalleryRow& row = GetParam();
    test::WriteSampleBitmap(in() + "/a.bmp", row.source_width, row.source_height);
    std::vector<std::string> args = {"-q", "--from", "bmp", "--to", "bmp", in(), out()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const test::CliOutcome outcome = test::RunCli(args, root());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::map<std::string, Size> made;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(out()))
        if (entry.is_regular_file())
            made[std::filesystem::relative(entry.path(), out()).string()] = SizeOf(entry.path().string());
    EXPECT_EQ(made, row.outputs);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliGallery,
    testing::Values(
        GalleryRow{"SizeAbove640", 2000, 1000, {"--size", "1000", "--basis", "width"}, {{"a.bmp", {1000, 500}}}},
        // 317 * 32 / 564 = 17.99: rounded to 18.
        GalleryRow{"FitRounds", 564, 317, {"--fit", "32x32"}, {{"a.bmp", {32, 18}}}},
        GalleryRow{"FillCuts", 40, 20, {"--fill", "16x16"}, {{"a.bmp", {16, 16}}}},
        GalleryRow{"FitSmallerKept", 40, 20, {"--fit", "100x100"}, {{"a.bmp", {40, 20}}}},
        GalleryRow{"FitSmallerEnlarged", 40, 20, {"--fit", "100x100", "--enlarge", "--filter", "area"},
                   {{"a.bmp", {100, 50}}}},
        GalleryRow{"FillSmallerOnlyCut", 40, 20, {"--fill", "30x30"}, {{"a.bmp", {30, 20}}}},
        GalleryRow{"FillSmallerEnlarged", 40, 20, {"--fill", "30x30", "--enlarge"}, {{"a.bmp", {30, 30}}}},
        GalleryRow{"Variants", 40, 20,
                   {"--variant", "grid:fill=16x16", "--variant", "big:fit=100x100,format=png,enlarge=yes,prefix=b_",
                    "--variant", "h:size=30"},
                   {{"grid/a.bmp", {16, 16}}, {"big/b_a.png", {100, 50}}, {"h/a.bmp", {60, 30}}}},
        GalleryRow{"VariantsTakeTheRunsBox", 40, 20, {"--fit", "10x10", "--variant", "v:format=png"},
                   {{"v/a.png", {10, 5}}}}),
    [](const testing::TestParamInfo<GalleryRow>& info) { return std::string(info.param.name); });

class CliGalleryFiles : public testing::Test, protected test::RunFolders {};

// The settings file keeps the window's range: a stored 1000 reads as 640.
TEST_F(CliGalleryFiles, StoredSizeAbove640ReadsAs640) {
    test::WriteSampleBitmap(in() + "/a.bmp", 2000, 1000);
    const std::string ini = root() + "/job.ini";
    std::ofstream(ini) << "[SYSTEM]\nSrcDir=" << in() << "\nDstDir=" << out()
                       << "\nSize=1000\nOption=1\nReadFileMode=0\nSaveFileMode=0\n";
    const test::CliOutcome outcome = test::RunCli({"-q", "--settings", ini}, root());
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(SizeOf(out() + "/a.bmp"), (Size{640, 320}));
}

// A batch entry carries its variants from the eleventh field on; one that is
// no variant makes the entry a data error, and the list goes on.
TEST_F(CliGalleryFiles, BatchEntriesCarryVariants) {
    test::WriteSampleBitmap(in() + "/a.bmp", 40, 20);
    const std::string list = root() + "/list.txt";
    const std::string head = "\"" + in() + "\",\"0\",\"" + out() + "\",\"0\",\"\",\"\",\"50\",\"0\",\"1\",\"0\"";
    std::ofstream(list) << head << ",\"g:fill=16x16\",\"w:fit=30x30,format=png\"\n"
                        << head << ",\"bad:size=abc\"\n";
    const test::CliOutcome outcome = test::RunCli({"--batch-file", list}, root());
    EXPECT_EQ(outcome.status, 1) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("登録データエラー"), std::string::npos) << outcome.out;
    EXPECT_EQ(SizeOf(out() + "/g/a.bmp"), (Size{16, 16}));
    EXPECT_EQ(SizeOf(out() + "/w/a.png"), (Size{30, 15}));
    EXPECT_EQ(test::NamesIn(out()), (std::set<std::string>{"g", "w"}));
}

}  // namespace
}  // namespace nuthumb
