#include "run/file_turn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "codecs/bmp_reader.h"
#include "pixels/image.h"
#include "platform/file_io.h"
#include "tests/support/bmp_builder.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/write_limit.h"
#include "tests/support/thumb_jobs.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb {
namespace {

using Kind = RecordedMessage::Kind;

const std::string kLoadFailure = "ファイルが壊れている可能性があります。\r\nFilename : ";

std::vector<std::uint8_t> Bmp24(std::int32_t width, std::int32_t height) {
    test::BmpBuilder bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.pixels.assign(static_cast<std::size_t>((width * 3 + 3) / 4 * 4) * height, 0x5A);
    return bmp.Build();
}

enum class Source { kBaseline, kProgressive, kGray, kBmp };

std::vector<std::uint8_t> MakeSource(Source source, std::int32_t width, std::int32_t height) {
    switch (source) {
        case Source::kBaseline: return test::MakeTestJpeg(width, height, "");
        case Source::kProgressive: return test::MakeTestJpeg(width, height, "-progressive");
        case Source::kGray: return test::MakeTestJpeg(width, height, "-grayscale", true);
        case Source::kBmp: break;
    }
    return Bmp24(width, height);
}

class MakeThumbnailTest : public testing::Test {
protected:
    std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.path() + "/" + name;
        WriteFileAtomic(path, bytes);
        return path;
    }
    std::string Path(const std::string& name) const { return dir.path() + "/" + name; }

    TempDir dir;
    RecordingHost host;
};

// --- What is written ------------------------------------------------------------

struct ConversionRow {
    std::string name;
    Source source;
    std::string source_name;
    ImageFormat target_format;
    bool resize;
    std::int32_t size;
    Basis basis;
    std::string written;  // file name expected in the folder
    std::int32_t width, height;
    int bits;          // BMP target: bits per pixel; JPEG target: 0
    bool progressive;  // JPEG target
};

class Converts : public MakeThumbnailTest, public testing::WithParamInterface<ConversionRow> {};

TEST_P(Converts, WritesTheExpectedTarget) {
    const ConversionRow& row = GetParam();
    const std::string source = Put(row.source_name, MakeSource(row.source, 64, 48));
    const std::string base = row.source_name.substr(0, row.source_name.rfind('.'));
    const std::string target = Path("t_" + base + "_s" + row.source_name.substr(base.size()));
    EXPECT_TRUE(MakeThumbnail(host, source, target, test::Scale(row.size, row.target_format, row.resize, row.basis)));

    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(host.messages.empty());
    ASSERT_TRUE(FileExists(Path(row.written)));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "source and target only";
    const std::vector<std::uint8_t> written = ReadWholeFile(Path(row.written));
    if (row.bits != 0) {
        const Image image = LoadBitmap(written);
        EXPECT_EQ(image.width, row.width);
        EXPECT_EQ(image.height, row.height);
        EXPECT_EQ(image.bits_per_pixel, row.bits);
        if (row.bits == 8) {
            EXPECT_EQ(image.palette.size(), 236u);
        }
    } else {
        test::JpegFile codec;
        codec.ReadHeader(written);
        EXPECT_EQ(codec->width(), row.width);
        EXPECT_EQ(codec->height(), row.height);
        EXPECT_EQ(codec->progressive(), row.progressive);
        EXPECT_EQ(codec->DecodeImage().bits_per_pixel, 24);  // three components, also from gray
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Converts,
    testing::Values(
        ConversionRow{"JpegScaledToBmpIs32Bit", Source::kBaseline, "x.jpg", test::kBmp, true, 24, Basis::kHeight, "t_x_s.bmp", 32, 24, 32, false},
        ConversionRow{"JpegCopiedToBmpIs24Bit", Source::kBaseline, "x.jpg", test::kBmp, false, 24, Basis::kHeight, "t_x_s.bmp", 64, 48, 24, false},
        ConversionRow{"GrayJpegCopiedToBmpIs8BitWithGrayTable", Source::kGray, "g.jpg", test::kBmp, false, 24, Basis::kHeight, "t_g_s.bmp", 64, 48, 8, false},
        ConversionRow{"GrayJpegToJpegHasThreeComponents", Source::kGray, "g.jpg", test::kJpg, false, 24, Basis::kHeight, "t_g_s.jpg", 64, 48, 0, false},
        ConversionRow{"ProgressiveScaledStaysProgressive", Source::kProgressive, "p.jpg", test::kJpg, true, 30, Basis::kWidth, "t_p_s.jpg", 30, 22, 0, true},
        ConversionRow{"ProgressiveCopiedStaysProgressive", Source::kProgressive, "p.jpg", test::kJpg, false, 30, Basis::kWidth, "t_p_s.jpg", 64, 48, 0, true},
        ConversionRow{"BaselineStaysBaseline", Source::kBaseline, "b.jpg", test::kJpg, true, 30, Basis::kLarger, "t_b_s.jpg", 30, 22, 0, false},
        ConversionRow{"BmpToJpegIsBaseline", Source::kBmp, "m.bmp", test::kJpg, false, 30, Basis::kHeight, "t_m_s.jpg", 64, 48, 0, false},
        ConversionRow{"BmpScaledByLargerSide", Source::kBmp, "m.bmp", test::kBmp, true, 32, Basis::kLarger, "t_m_s.bmp", 32, 24, 32, false},
        ConversionRow{"UpperCaseJpgIsDecodedAsJpeg", Source::kBaseline, "photo.JPG", test::kBmp, true, 24, Basis::kHeight, "t_photo_s.bmp", 32, 24, 32, false},
        ConversionRow{"UpperCaseJpgStaysForAJpegTarget", Source::kBaseline, "photo.JPG", test::kJpg, true, 24, Basis::kHeight, "t_photo_s.JPG", 32, 24, 0, false},
        ConversionRow{"UpperCaseBmpBecomesJpgForAJpegTarget", Source::kBmp, "m.BMP", test::kJpg, true, 24, Basis::kHeight, "t_m_s.jpg", 32, 24, 0, false}),
    [](const testing::TestParamInfo<ConversionRow>& info) { return info.param.name; });

// --- Sources without a sound result ----------------------------------------------

struct FailureRow {
    std::string name;
    std::string source_name;
    std::function<std::vector<std::uint8_t>()> bytes;  // made when the row runs
    std::int32_t size;
    Basis basis;
    bool resize;
    ImageFormat target_format;
};

class Failure : public MakeThumbnailTest,
                public testing::WithParamInterface<std::tuple<FailureRow, bool>> {};

TEST_P(Failure, IsReportedAndRecordedAndWritesNothing) {
    const auto& [row, report] = GetParam();
    host.report_load_errors = report;
    host.overwrite_mode = OverwriteMode::kAlways;
    const std::string source = Put(row.source_name, row.bytes());
    EXPECT_FALSE(MakeThumbnail(host, source, Path("out/t.x"),
                               test::Scale(row.size, row.target_format, row.resize, row.basis)));

    EXPECT_EQ(host.errors, std::vector<std::string>{source});
    if (report) {
        EXPECT_EQ(host.messages,
                  (std::vector<RecordedMessage>{{Kind::kError, kLoadFailure + row.source_name}}));
    } else {
        EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_FALSE(DirectoryExists(Path("out")));
}

const std::vector<std::uint8_t> kText = {'h', 'e', 'l', 'l', 'o', '\n'};

std::vector<std::uint8_t> Text() { return kText; }
std::vector<std::uint8_t> Nothing() { return {}; }
std::vector<std::uint8_t> SmallJpeg() { return test::MakeTestJpeg(16, 16, ""); }
std::vector<std::uint8_t> WideBmp() { return Bmp24(1000, 10); }
std::vector<std::uint8_t> WideJpeg() { return test::MakeTestJpeg(1000, 10, ""); }
std::vector<std::uint8_t> SmallBmp() { return Bmp24(8, 8); }
std::vector<std::uint8_t> TwelveBitJpeg() {
    return ReadWholeFile(std::string(NUTHUMB_CORPUS_DIR) + "/libjpeg-turbo/monkey12.jpg");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Failure,
    testing::Combine(
        testing::Values(
            FailureRow{"NotAnImage", "notes.bmp", Text, 120, Basis::kHeight, true, test::kBmp},
            FailureRow{"TextNamedJpg", "notes.jpg", Text, 120, Basis::kHeight, true, test::kJpg},
            FailureRow{"BmpNamedJpegGoesToJpegReader", "photo.jpeg", WideBmp, 120, Basis::kHeight, true, test::kBmp},
            FailureRow{"ZeroByteBmpCopied", "empty.bmp", Nothing, 120, Basis::kHeight, false, test::kBmp},
            FailureRow{"ZeroByteBmpScaled", "empty.bmp", Nothing, 120, Basis::kHeight, true, test::kJpg},
            FailureRow{"ComputedHeightZeroToJpeg", "wide.bmp", WideBmp, 30, Basis::kWidth, true, test::kJpg},
            FailureRow{"ComputedHeightZeroToBmp", "wide.jpg", WideJpeg, 30, Basis::kWidth, true, test::kBmp},
            FailureRow{"SizeZero", "a.bmp", SmallBmp, 0, Basis::kHeight, true, test::kJpg},
            FailureRow{"NoBasis", "a.jpg", SmallJpeg, 30, Basis::kNone, true, test::kJpg},
            FailureRow{"TwelveBitJpeg", "monkey12.jpg", TwelveBitJpeg, 30, Basis::kHeight, true, test::kJpg}),
        testing::Bool()),
    [](const testing::TestParamInfo<std::tuple<FailureRow, bool>>& info) {
        return std::get<0>(info.param).name + (std::get<1>(info.param) ? "Reported" : "Silent");
    });

// A source cut short is made as far as it goes, but named with the reason and
// recorded like a load failure (so the run counts it); the box only when load
// errors are reported.
TEST_F(MakeThumbnailTest, CutSourcesAreMadeButNamedAndRecorded) {
    std::vector<std::uint8_t> jpeg = test::MakeTestJpeg(64, 48, "");
    jpeg.resize(jpeg.size() * 3 / 5);
    std::vector<std::uint8_t> bmp = Bmp24(8, 6);
    bmp.resize(bmp.size() - 20);
    for (const auto& [name, bytes] : {std::pair{"cut.jpg", jpeg}, std::pair{"cut.bmp", bmp}}) {
        for (const bool report : {false, true}) {
            RecordingHost h;
            h.report_load_errors = report;
            const std::string source = Put(name, bytes);
            EXPECT_TRUE(MakeThumbnail(h, source, Path("t.bmp"), test::Scale(4, test::kBmp))) << name;
            EXPECT_TRUE(FileExists(Path("t.bmp"))) << name;
            EXPECT_EQ(h.errors, std::vector<std::string>{source});
            const std::vector<RecordedMessage> box = {
                {Kind::kError, std::string("ファイルが途中で切れています。読めた所までで作成しました。\r\nFilename : ") + name}};
            EXPECT_EQ(h.messages, report ? box : std::vector<RecordedMessage>{}) << name;
            std::filesystem::remove(Path("t.bmp"));
        }
    }
}

TEST_F(MakeThumbnailTest, FailedLoadLeavesAnExistingTargetAlone) {
    host.overwrite_mode = OverwriteMode::kAlways;
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    Put("t.bmp", old);
    MakeThumbnail(host, Put("bad.bmp", kText), Path("t.bmp"), test::Scale(30, test::kBmp));
    EXPECT_EQ(ReadWholeFile(Path("t.bmp")), old);
}

// --- An existing target -----------------------------------------------------------

struct OverwriteRow {
    std::string name;
    std::string existing;  // the file there before: "old"
    ImageFormat target_format;
    OverwriteMode mode;
    std::vector<bool> answers;
    bool asked;
    bool written;  // the final name holds a new thumbnail
};

class Overwrite : public MakeThumbnailTest, public testing::WithParamInterface<OverwriteRow> {};

// The composed name keeps the source's extension (t_x_s.JPG); the final name is
// tested, and asked about, whatever other files lie beside it.
TEST_P(Overwrite, FollowsTheModeAndNamesTheFinalFile) {
    const OverwriteRow& row = GetParam();
    host.overwrite_mode = row.mode;
    host.answers.assign(row.answers.begin(), row.answers.end());
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    Put(row.existing, old);
    MakeThumbnail(host, Put("x.jpg", test::MakeTestJpeg(40, 30, "")), Path("t_x_s.JPG"),
                  test::Scale(30, row.target_format));

    const std::string final_name = row.target_format == test::kBmp ? "t_x_s.bmp" : "t_x_s.JPG";
    std::vector<RecordedMessage> expected;
    if (row.asked)
        expected.push_back({Kind::kQuestion, "同一ファイルが存在します。上書きしますか?\r\nFilename : " + final_name});
    EXPECT_EQ(host.messages, expected);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(FileExists(Path(final_name)) && ReadWholeFile(Path(final_name)) != old, row.written);
    if (row.existing != final_name) {
        EXPECT_EQ(ReadWholeFile(Path(row.existing)), old);
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    std::set<std::string> expected_names{"x.jpg", row.existing};
    if (row.written) expected_names.insert(final_name);
    EXPECT_EQ(names, expected_names);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Overwrite,
    testing::Values(OverwriteRow{"Never", "t_x_s.bmp", test::kBmp, OverwriteMode::kNever, {}, false, false},
                    OverwriteRow{"Always", "t_x_s.bmp", test::kBmp, OverwriteMode::kAlways, {}, false, true},
                    OverwriteRow{"AskAnsweredOk", "t_x_s.bmp", test::kBmp, OverwriteMode::kAsk, {true}, true, true},
                    OverwriteRow{"AskCancelled", "t_x_s.bmp", test::kBmp, OverwriteMode::kAsk, {false}, true, false},
                    OverwriteRow{"ExtensionNamingTheFormatStays", "t_x_s.JPG", test::kJpg, OverwriteMode::kAsk,
                                 {true}, true, true},
                    OverwriteRow{"LowerCaseTwinIsAnotherFile", "t_x_s.jpg", test::kJpg, OverwriteMode::kNever, {},
                                 false, true},
                    OverwriteRow{"SourceExtensionFileIsNotTheBmpTarget", "t_x_s.JPG", test::kBmp,
                                 OverwriteMode::kNever, {}, false, true}),
    [](const testing::TestParamInfo<OverwriteRow>& info) { return info.param.name; });

TEST_F(MakeThumbnailTest, AFolderOfTheTargetNameIsNotAnExistingFile) {
    std::filesystem::create_directory(Path("t.jpg"));
    MakeThumbnail(host, Put("x.bmp", Bmp24(8, 8)), Path("t.bmp"), test::Scale(30, test::kJpg));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.errors, std::vector<std::string>{Path("x.bmp")});  // rename onto a folder fails
}

// --- A target that cannot be written ----------------------------------------------

// The box only when load errors are reported; the old file and the ErrorList line always.
TEST_F(MakeThumbnailTest, FullDiskKeepsTheOldTargetAndRecords) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const std::string source = Put("x.jpg", test::MakeTestJpeg(64, 48, ""));
    for (const bool report : {false, true}) {
        RecordingHost h;
        h.overwrite_mode = OverwriteMode::kAlways;
        h.report_load_errors = report;
        Put("t.bmp", old);
        {
            FileSizeLimit limit(100);  // a 64 x 48 thumbnail needs far more
            MakeThumbnail(h, source, Path("t.jpg"), test::Scale(48, test::kBmp));
        }
        EXPECT_EQ(ReadWholeFile(Path("t.bmp")), old);
        EXPECT_EQ(h.errors, std::vector<std::string>{source});
        ASSERT_EQ(h.messages.size(), report ? 1u : 0u);
        if (report) {
            EXPECT_EQ(h.messages[0].kind, Kind::kError);
            EXPECT_EQ(h.messages[0].text.rfind("ファイルを書き込めません。\r\nFilename : t.bmp\r\n", 0), 0u)
                << h.messages[0].text;
        }
    }
}

}  // namespace
}  // namespace nuthumb
