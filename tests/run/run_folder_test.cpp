#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "codecs/bmp_reader.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "tests/support/recording_host.h"
#include "tests/support/folder_files.h"
#include "tests/support/sample_images.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thumb_jobs.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using test::WriteText;

class RunFolderTest : public ::testing::Test, protected test::RunFolders {
protected:
    std::string src() const { return in(); }
    std::string dst() const { return out(); }
    void Bitmaps(std::initializer_list<const char*> names) {
        for (const char* name : names) test::WriteSampleBitmap(src() + "/" + name);
    }
    int Run(ImageFormat from = test::kBmp, ImageFormat to = test::kJpg, const std::string& prefix = "",
            const std::string& suffix = "") {
        return RunFolder(host_, test::FolderJob(src(), from, dst(), to, 4, prefix, suffix), &counts_);
    }

    RecordingHost host_;
    RunCounts counts_;
};

TEST_F(RunFolderTest, NoMatchingFileGivesTwoAndTouchesNothing) {
    Bitmaps({"a.bmp"});
    fs::create_directory(src() + "/x.jpg");
    host_.cancel = true;
    host_.progress_max = 9;
    host_.progress_position = 7;
    host_.status = "before";
    EXPECT_EQ(Run(test::kJpg, test::kJpg), kRunNoSourceFile);
    EXPECT_TRUE(host_.cancel);
    EXPECT_EQ(host_.progress_max, 9);
    EXPECT_EQ(host_.progress_position, 7);
    EXPECT_EQ(host_.status, "before");
    EXPECT_TRUE(NamesIn(dst()).empty());
}

TEST_F(RunFolderTest, CancelDuringTheListingIsLost) {
    Bitmaps({"a.bmp", "b.bmp", "c.bmp"});
    // The listing pumps before the progress maximum is set.
    host_.on_pending = [this] {
        if (host_.progress_max == 0) host_.cancel = true;
    };
    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_EQ(host_.progress_position, 3);
    EXPECT_EQ(NamesIn(dst()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
}

// A cancel after the second file stops the run there, also when it was the last.
TEST_F(RunFolderTest, CancelStopsBeforeTheRemainingFiles) {
    Bitmaps({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
    for (const bool last : {false, true}) {
        if (last) fs::remove(src() + "/c.bmp"), fs::remove(src() + "/d.bmp"), fs::remove_all(dst());
        fs::create_directories(dst());
        host_.cancel = false;
        host_.on_pending = [this] {
            if (host_.progress_position == 2) host_.cancel = true;
        };
        EXPECT_EQ(Run(), kRunCancelled) << last;
        EXPECT_EQ(host_.progress_max, last ? 2 : 4);
        EXPECT_EQ(host_.progress_position, 2);
        EXPECT_EQ(host_.status, "サムネイル作成中 : b.bmp");
        EXPECT_EQ(NamesIn(dst()), (std::set<std::string>{"a.jpg", "b.jpg"}));
        EXPECT_EQ(counts_, (RunCounts{2, 0, 0, last ? 0u : 2u}));
    }
}

// Existing targets kept: every file is passed, the progress reaches its end and
// the status line says of each that it was kept, not made. The counts tell the
// made, kept and failed files apart; a file that fails is never "kept".
TEST_F(RunFolderTest, NeverOverwriteKeepsEveryExistingTargetAndCountsIt) {
    Bitmaps({"B.bmp", "a.BMP", "c.bmp", "d.bmp"});
    WriteText(src() + "/e.bmp", "damaged");
    for (const char* name : {"a.jpg", "B.jpg", "c.jpg"}) WriteText(dst() + "/" + name, "old");
    host_.overwrite_mode = OverwriteMode::kNever;
    std::vector<std::pair<int, std::string>> seen;
    host_.on_pending = [this, &seen] {
        if (host_.progress_max > 0) seen.emplace_back(host_.progress_position, host_.status);
    };
    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_EQ(host_.progress_max, 5);
    const std::vector<std::pair<int, std::string>> expected{{1, "既にあるため残しました : a.BMP"},
                                                            {2, "既にあるため残しました : B.bmp"},
                                                            {3, "既にあるため残しました : c.bmp"},
                                                            {4, "サムネイル作成中 : d.bmp"},
                                                            {5, "サムネイル作成中 : e.bmp"}};
    EXPECT_EQ(seen, expected);
    for (const char* name : {"a.jpg", "B.jpg", "c.jpg"}) EXPECT_EQ(ReadText(dst() + "/" + name), "old");
    EXPECT_EQ(host_.errors, std::vector<std::string>{src() + "/e.bmp"});
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(counts_, (RunCounts{1, 3, 1, 0}));
    EXPECT_EQ(RunCountsText(counts_), "作成: 1 個、既にあったため残した: 3 個、失敗: 1 個");
}

TEST_F(RunFolderTest, ModeIsReadAtEachFile) {
    Bitmaps({"a.bmp", "b.bmp"});
    WriteText(dst() + "/a.jpg", "old");
    WriteText(dst() + "/b.jpg", "old");
    host_.overwrite_mode = OverwriteMode::kNever;
    host_.on_pending = [this] {
        if (host_.progress_position == 1) host_.overwrite_mode = OverwriteMode::kAlways;
    };
    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_EQ(ReadText(dst() + "/a.jpg"), "old");
    EXPECT_NE(ReadText(dst() + "/b.jpg"), "old");
}

struct NameRow {
    const char* name;
    ImageFormat target_format;
    const char* written;
};

class RunFolderNameTest : public RunFolderTest, public ::testing::WithParamInterface<NameRow> {};

TEST_P(RunFolderNameTest, TargetIsPrefixBaseSuffixWithTheFinalExtension) {
    fs::copy_file(std::string(NUTHUMB_CORPUS_DIR) + "/libjpeg-turbo/testorig.jpg", src() + "/a.b.JPG");
    EXPECT_EQ(RunFolder(host_, test::FolderJob(src(), test::kJpg, dst(), GetParam().target_format, 40, "t_", "_s")),
              kRunFinished);
    EXPECT_EQ(NamesIn(dst()), std::set<std::string>{GetParam().written});
    EXPECT_TRUE(host_.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, RunFolderNameTest,
                         ::testing::Values(NameRow{"JpegKeepsTheSourcesCase", test::kJpg, "t_a.b_s.JPG"},
                                           NameRow{"Bitmap", test::kBmp, "t_a.b_s.bmp"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunFolderTest, FolderNamedLikeASourceIsNeverListed) {
    fs::create_directory(src() + "/x.bmp");
    Bitmaps({"y.bmp"});
    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_EQ(host_.progress_max, 1);
    EXPECT_TRUE(host_.errors.empty());
    EXPECT_EQ(NamesIn(dst()), std::set<std::string>{"y.jpg"});
}

TEST_F(RunFolderTest, DamagedSourceGoesToTheErrorListAndTheRunGoesOn) {
    WriteText(src() + "/a.bmp", "not an image");
    Bitmaps({"b.bmp"});
    EXPECT_EQ(Run(), kRunFinished);
    EXPECT_EQ(host_.errors, std::vector<std::string>{src() + "/a.bmp"});
    EXPECT_EQ(NamesIn(dst()), std::set<std::string>{"b.jpg"});
}

TEST_F(RunFolderTest, SameFolderDoesNotPickUpNewTargets) {
    Bitmaps({"a.bmp", "b.bmp"});
    EXPECT_EQ(RunFolder(host_, test::FolderJob(src(), test::kBmp, src(), test::kBmp, 4, "", "_s")), kRunFinished);
    EXPECT_EQ(host_.progress_max, 2);
    EXPECT_EQ(NamesIn(src()), (std::set<std::string>{"a.bmp", "a_s.bmp", "b.bmp", "b_s.bmp"}));
}

// The note after the run counts what the listing passed over before anything
// was written: thumbnails of another format made beside their sources are not
// among the images passed over.
TEST_F(RunFolderTest, TheNoteCountsNoneOfTheRunsOwnThumbnails) {
    Bitmaps({"a.bmp", "b.bmp"});
    WriteText(src() + "/c.png", "");
    const ThumbJob job = test::FolderJob(src(), test::kBmp, src(), test::kJpg, 4, "t_");
    const RunFiles files = ListRunFiles(job, host_);
    EXPECT_EQ(RunFolder(host_, job, files), kRunFinished);
    EXPECT_EQ(NamesIn(src()), (std::set<std::string>{"a.bmp", "b.bmp", "c.png", "t_a.jpg", "t_b.jpg"}));
    EXPECT_EQ(PassedOverNote(files, "--from all"),
              "読込みファイルとは別の形式の画像が 1 個あります（--from all で読み込めます）。");
}

// ---- One target per source, whatever the letter case ----

TEST_F(RunFolderTest, NamesThatDifferInCaseKeepTheirOwnPictures) {
    // 8 and 16 pixels wide: their thumbnails, 4 high, are 5 and 10 wide.
    test::WriteSampleBitmap(src() + "/a.bmp", 8, 6);
    test::WriteSampleBitmap(src() + "/a.BMP", 16, 6);
    host_.overwrite_mode = OverwriteMode::kAlways;
    EXPECT_EQ(RunFolder(host_, test::FolderJob(src(), test::kBmp, src(), test::kBmp, 4)), kRunFinished);
    EXPECT_EQ(NamesIn(src()), (std::set<std::string>{"a.bmp", "a.BMP"}));
    EXPECT_EQ(LoadBitmap(ReadWholeFile(src() + "/a.bmp")).width, 5);
    EXPECT_EQ(LoadBitmap(ReadWholeFile(src() + "/a.BMP")).width, 10);
}

struct TakenRow {
    const char* name;
    bool first_damaged;  // the first listed source fails to load
    bool report;
    OverwriteMode overwrite_mode;
    bool existing;       // a.jpg is in the destination before the run
    std::vector<std::string> failed;   // names of the sources in the ErrorList
    std::vector<std::string> errors;   // message texts shown
    std::int32_t written_width;        // width of a.jpg after the run; 0: the old file
};

class RunFolderTakenTest : public RunFolderTest, public ::testing::WithParamInterface<TakenRow> {};

TEST_P(RunFolderTakenTest, ALaterSourceNeverReplacesWhatTheRunWrote) {
    const TakenRow& row = GetParam();
    // Listed in this order: a.BMP, then a.Bmp; both become a.jpg.
    if (row.first_damaged) WriteText(src() + "/a.BMP", "not an image");
    else test::WriteSampleBitmap(src() + "/a.BMP", 8, 6);
    test::WriteSampleBitmap(src() + "/a.Bmp", 12, 6);
    if (row.existing) WriteText(dst() + "/a.jpg", "old");
    host_.report_load_errors = row.report;
    host_.overwrite_mode = row.overwrite_mode;
    EXPECT_EQ(RunFolder(host_, test::FolderJob(src(), test::kBmp, dst(), test::kJpg, 4, "", "", false)), kRunFinished);

    std::vector<std::string> failed;
    for (const std::string& name : row.failed) failed.push_back(src() + "/" + name);
    EXPECT_EQ(host_.errors, failed);
    std::vector<std::string> shown;
    for (const RecordedMessage& message : host_.messages) shown.push_back(message.text);
    EXPECT_EQ(shown, row.errors);
    EXPECT_EQ(NamesIn(dst()), std::set<std::string>{"a.jpg"});
    if (row.written_width == 0) {
        EXPECT_EQ(ReadText(dst() + "/a.jpg"), "old");
    } else {
        test::JpegFile codec;
        codec.ReadHeader(ReadWholeFile(dst() + "/a.jpg"));
        EXPECT_EQ(codec->width(), row.written_width);
    }
}

const std::string kTaken = "出力ファイル名が他の画像と重複するため作成しません。\r\nFilename : a.jpg";
const std::string kDamaged = "ファイルが壊れている可能性があります。\r\nFilename : a.BMP";

INSTANTIATE_TEST_SUITE_P(
    Rows, RunFolderTakenTest,
    ::testing::Values(TakenRow{"LaterSourceFailsSilently", false, false, OverwriteMode::kAlways, false, {"a.Bmp"}, {}, 8},
                      TakenRow{"LaterSourceFailsWithAMessage", false, true, OverwriteMode::kAlways, false, {"a.Bmp"}, {kTaken}, 8},
                      TakenRow{"OlderFileReplacedOnceOnly", false, true, OverwriteMode::kAlways, true, {"a.Bmp"}, {kTaken}, 8},
                      TakenRow{"NeverOverwriteSkipsBoth", false, true, OverwriteMode::kNever, true, {}, {}, 0},
                      TakenRow{"NameFreeWhenTheEarlierLoadFailed", true, true, OverwriteMode::kAlways, false, {"a.BMP"},
                               {kDamaged}, 12}),
    [](const auto& info) { return std::string(info.param.name); });

struct PreCheckFormatRow {
    const char* name;
    const char* existing;
    ImageFormat target_format;
    bool converted;
};

class RunFolderPreCheckTest : public RunFolderTest, public ::testing::WithParamInterface<PreCheckFormatRow> {};

TEST_P(RunFolderPreCheckTest, UsesTheJobsOwnTargetFormat) {
    Bitmaps({"a.bmp"});
    WriteText(dst() + "/" + GetParam().existing, "old");
    host_.overwrite_mode = OverwriteMode::kNever;
    EXPECT_EQ(Run(test::kBmp, GetParam().target_format), kRunFinished);
    const std::string written = dst() + "/a." + (GetParam().target_format == test::kBmp ? "bmp" : "jpg");
    EXPECT_EQ(ReadText(written) != "old", GetParam().converted);
}

INSTANTIATE_TEST_SUITE_P(Rows, RunFolderPreCheckTest,
                         ::testing::Values(PreCheckFormatRow{"JpegJobBesideBitmap", "a.bmp", test::kJpg, true},
                                           PreCheckFormatRow{"BitmapJobBesideJpeg", "a.jpg", test::kBmp, true},
                                           PreCheckFormatRow{"BitmapJobOverBitmap", "a.bmp", test::kBmp, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The mode, and each answer when it asks, decide for an existing target; asked
// before loading and again before saving, for a source that is its own target too.
struct AskRow {
    const char* name;
    bool in_place;  // the source is its own target
    OverwriteMode mode;
    std::deque<bool> answers;
    std::size_t questions;
    bool replaced;
};

class RunFolderAskTest : public RunFolderTest, public ::testing::WithParamInterface<AskRow> {};

TEST_P(RunFolderAskTest, AsksBeforeLoadingAndAgainBeforeSaving) {
    const AskRow& row = GetParam();
    const std::string target = row.in_place ? src() + "/photo.JPG" : dst() + "/photo.JPG";
    fs::copy_file(std::string(NUTHUMB_CORPUS_DIR) + "/libjpeg-turbo/testorig.jpg", src() + "/photo.JPG");
    if (!row.in_place) WriteText(target, "old");
    const std::vector<std::uint8_t> before = ReadWholeFile(target);
    host_.overwrite_mode = row.mode;
    host_.answers = row.answers;
    EXPECT_EQ(RunFolder(host_, test::FolderJob(src(), test::kJpg, row.in_place ? src() : dst(), test::kJpg, 30)),
              kRunFinished);

    EXPECT_EQ(NamesIn(src()), std::set<std::string>{"photo.JPG"});
    ASSERT_EQ(host_.messages.size(), row.questions);
    for (const RecordedMessage& message : host_.messages) {
        EXPECT_EQ(message.kind, RecordedMessage::Kind::kQuestion);
        EXPECT_EQ(message.text, "同一ファイルが存在します。上書きしますか?\r\nFilename : photo.JPG");
    }
    EXPECT_EQ(ReadWholeFile(target) != before, row.replaced);
    if (row.replaced) {
        test::JpegFile codec;
        codec.ReadHeader(ReadWholeFile(target));
        EXPECT_EQ(codec->height(), 30);
    }
    EXPECT_TRUE(host_.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RunFolderAskTest,
    ::testing::Values(AskRow{"InPlaceNeverSkips", true, OverwriteMode::kNever, {}, 0, false},
                      AskRow{"InPlaceOverwriteReplaces", true, OverwriteMode::kAlways, {}, 0, true},
                      AskRow{"InPlaceOkTwiceReplaces", true, OverwriteMode::kAsk, {true, true}, 2, true},
                      AskRow{"InPlaceCancelFirstAsksOnce", true, OverwriteMode::kAsk, {false}, 1, false},
                      AskRow{"OkTwiceReplaces", false, OverwriteMode::kAsk, {true, true}, 2, true},
                      AskRow{"OkThenCancelKeeps", false, OverwriteMode::kAsk, {true, false}, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuthumb
