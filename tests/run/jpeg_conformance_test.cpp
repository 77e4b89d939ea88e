// A colour JPEG copied unscaled to BMP must hold, pixel for pixel, what the
// library's own djpeg gives with the same settings (float DCT; block smoothing and
// smooth upsampling are djpeg's defaults too).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "codecs/bmp_reader.h"
#include "run/file_turn.h"
#include "platform/file_io.h"
#include "tests/image/image_rows.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thumb_jobs.h"

namespace nuthumb {
namespace {

const std::string kCorpus = std::string(NUTHUMB_CORPUS_DIR) + "/libjpeg-turbo/";

void RunTool(const std::string& command) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

struct ConformanceRow {
    std::string name;
    std::string corpus_file;
    bool make_progressive;
};

class DjpegConformance : public testing::TestWithParam<ConformanceRow> {};

TEST_P(DjpegConformance, UnscaledBmpCopyEqualsDjpeg) {
    const ConformanceRow& row = GetParam();
    TempDir dir;
    std::string source = dir.path() + "/source.jpg";
    if (row.make_progressive)
        RunTool("/usr/bin/jpegtran -progressive -copy all -outfile " + source + " " + kCorpus +
            row.corpus_file);
    else
        WriteFileAtomic(source, ReadWholeFile(kCorpus + row.corpus_file));
    RunTool("/usr/bin/djpeg -dct float -bmp -outfile " + dir.path() + "/reference.bmp " + source);

    RecordingHost host;
    MakeThumbnail(host, source, dir.path() + "/ours.jpg", test::Scale(120, test::kBmp, false));
    ASSERT_TRUE(host.errors.empty());

    const Image ours = LoadBitmap(ReadWholeFile(dir.path() + "/ours.bmp"));
    const Image reference = LoadBitmap(ReadWholeFile(dir.path() + "/reference.bmp"));
    EXPECT_EQ(ours.bits_per_pixel, 24);
    ASSERT_EQ(ours.width, reference.width);
    ASSERT_EQ(ours.height, reference.height);
    EXPECT_TRUE(test::RgbFromTop(ours) == test::RgbFromTop(reference));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DjpegConformance,
    testing::Values(ConformanceRow{"Testorig", "testorig.jpg", false},
                    ConformanceRow{"Testimgint", "testimgint.jpg", false},
                    ConformanceRow{"TestorigMadeProgressive", "testorig.jpg", true},
                    ConformanceRow{"ArithmeticCoded", "testimgari.jpg", false}),
    [](const testing::TestParamInfo<ConformanceRow>& info) { return info.param.name; });

}  // namespace
}  // namespace nuthumb
