#include "batch/batch_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "batch/batch_log.h"
#include "image/prepare_thumbnail.h"
#include "run/conversion_messages.h"
#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "tests/support/language.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadText;
using V = std::vector<std::string>;
using Kind = RecordedMessage::Kind;

// The window's side of a batch run, written down as events.
class RecordingControls : public BatchControls {
public:
    explicit RecordingControls(RecordingHost& host) : host_(host) {}

    V events;
    std::function<bool()> stop;  // the command line's Ctrl-C

    void SelectBatchEntry(std::size_t index) override { events.push_back("select " + std::to_string(index)); }
    void ResetProgressDisplay() override {
        host_.progress_position = 0;
        host_.status.clear();
        events.push_back("reset");
    }
    void SetBatchRunState() override { events.push_back("batch"); }
    void SetIdleState() override { events.push_back("idle"); }
    void ClearErrorList() override { host_.errors.clear(); }
    const V& ErrorLines() const override { return host_.errors; }
    bool BatchStopRequested() const override { return stop && stop(); }

private:
    RecordingHost& host_;
};

std::string Entry(const V& fields) {
    std::string entry;
    for (const std::string& field : fields) entry += (entry.empty() ? "\"" : ",\"") + field + "\"";
    return entry;
}

std::string Line(std::size_t index, std::string_view ending) { return BatchLogLine(index, ending); }

class BatchRunTest : public ::testing::Test {
protected:
    // A folder under the test's root holding `bitmaps` and damaged `broken` files.
    std::string Folder(const std::string& name, const V& bitmaps = {}, const V& broken = {}) {
        const std::string path = dir_.path() + "/" + name;
        fs::create_directories(path);
        for (const std::string& b : bitmaps) test::WriteSampleBitmap(path + "/" + b);
        for (const std::string& b : broken) test::WriteText(path + "/" + b, "damaged");
        return path;
    }
    // A bitmap-to-JPEG entry with prefix t_ and size 4.
    std::string Job(const std::string& src, const std::string& dst, const std::string& size = "4",
                    const std::string& resize = "1") {
        return Entry({src, "0", dst, "1", "t_", "", size, "0", resize});
    }
    BatchOutcome Run(const V& entries, std::optional<std::string> export_path = std::nullopt,
                     const PhotoOptions& photo = {}) {
        return RunBatch(host_, controls_, entries, export_path, photo);
    }

    TempDir dir_;
    RecordingHost host_;
    RecordingControls controls_{host_};
};

TEST_F(BatchRunTest, LogsEveryEntryInOrderAndExportsTheLog) {
    const std::string in0 = Folder("in0", {"a.bmp"}, {"z.bmp"});
    const std::string out = Folder("out");
    const std::string empty = Folder("empty");
    const std::string export_path = dir_.path() + "/NuThumb.Err";
    host_.errors = {"from an earlier run"};
    host_.answers = {true};

    const BatchOutcome outcome = Run(
        {Job(in0, out), Entry({in0, "0", out, "1", "", "", "4", "0"}), Job(empty, out),
         Job(dir_.path() + "/missing", out), Job(in0, out, "abc"), Job(in0, out, "4", ""),
         // A line break inside (a lone CR) is no entry, even where nine fields result.
         Job(in0, out) + "\r", Job(in0, "\r" + out),
         // An undoubled quote in the prefix splits off a tenth field "1": no tree.
         "\"" + in0 + "\",\"0\",\"" + out + "\",\"1\",\"t_\"x\",\"4\",\"0\",\"1\",\"1\""},
        export_path);

    const V log{Line(0, kBatchLogStarted), in0 + "/z.bmp", Line(0, kBatchLogFinished),
                Line(1, kBatchLogStarted), Line(1, kBatchLogDataError),
                Line(2, kBatchLogStarted), Line(2, kBatchLogNoSourceFile),
                Line(3, kBatchLogStarted),
                Line(4, kBatchLogStarted), Line(4, kBatchLogDataError),
                Line(5, kBatchLogStarted), Line(5, kBatchLogDataError),
                Line(6, kBatchLogStarted), Line(6, kBatchLogDataError),
                Line(7, kBatchLogStarted), Line(7, kBatchLogDataError),
                Line(8, kBatchLogStarted), Line(8, kBatchLogDataError)};
    EXPECT_EQ(host_.errors, log);
    // Only entries that reached a folder run reset the progress display.
    EXPECT_EQ(controls_.events, (V{"batch", "select 0", "reset", "select 1", "select 2", "reset", "select 3",
                                   "select 4", "select 5", "select 6", "select 7", "select 8", "idle"}));
    EXPECT_EQ(NamesIn(out), std::set<std::string>{"t_a.jpg"});
    EXPECT_EQ(host_.messages, (std::vector<RecordedMessage>{
                                  {Kind::kQuestion, kBatchExportQuestion + export_path}}));
    EXPECT_EQ(outcome.entries_taken, 9u);
    EXPECT_EQ(outcome.failed_entries, 8u);
    EXPECT_EQ(outcome.failed_files, 1u);
    EXPECT_FALSE(outcome.cancelled);

    // CP932 with CR LF: the data-error line's blanks and dash are 81 40, 81 7C, 81 40.
    const std::string bytes = ReadText(export_path);
    const std::string head = "NO 0 : \x83\x54\x83\x80\x83\x6C\x83\x43\x83\x8B\x8D\xEC\x90\xAC\x8A\x4A"
                             "\x8E\x6E\x81\x42\r\n" + in0 + "/z.bmp\r\n";
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_NE(bytes.find("NO 1 : \x93\x6F\x98\x5E\x83\x66\x81\x5B\x83\x5E\x83\x47\x83\x89\x81\x5B"
                         "\x81\x40\x81\x7C\x81\x40\x8F\x49\x97\xB9\x81\x42\r\nNO 2 : "),
              std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

// An entry has no field for the photo options: every entry takes the run's.
TEST_F(BatchRunTest, EveryEntryTakesThePhotoOptions) {
    const std::string in = Folder("in", {"a.bmp"});
    const std::string out = Folder("out");
    const PhotoOptions photo{false, 10, ScaleFilter::kArea};
    Run({Job(in, out, "5")}, std::nullopt, photo);
    Conversion conversion{ImageFormat::kJpeg, 5, Basis::kHeight, true};
    conversion.photo = photo;
    const PreparedThumbnail expected = PrepareThumbnail(in + "/a.bmp", conversion, {});
    ASSERT_EQ(expected.outcome, PreparedThumbnail::Outcome::kReady);
    EXPECT_EQ(ReadWholeFile(out + "/t_a.jpg"), expected.target_bytes);
    conversion.photo = {};
    EXPECT_NE(expected.target_bytes, PrepareThumbnail(in + "/a.bmp", conversion, {}).target_bytes);
}

TEST_F(BatchRunTest, CancelEndsTheLogWithTheCancelledEntry) {
    const std::string out0 = Folder("out0"), out1 = Folder("out1"), out2 = Folder("out2");
    const std::string in1 = Folder("in1", {"a.bmp", "b.bmp", "c.bmp"});
    // A cancel left over from before the run is cleared by the first listing.
    host_.cancel = true;
    host_.on_pending = [this] {
        if (host_.progress_max == 3 && host_.progress_position == 2) host_.cancel = true;
    };
    const std::string export_path = dir_.path() + "/NuThumb.Err";
    const BatchOutcome outcome = Run(
        {Job(Folder("in0", {"a.bmp"}), out0), Job(in1, out1), Job(Folder("in2", {"a.bmp"}), out2)}, export_path);

    EXPECT_EQ(host_.errors, (V{Line(0, kBatchLogStarted), Line(0, kBatchLogFinished), Line(1, kBatchLogStarted),
                               Line(1, kBatchLogCancelled)}));
    EXPECT_EQ(NamesIn(out0).size(), 1u);
    EXPECT_EQ(NamesIn(out1), (std::set<std::string>{"t_a.jpg", "t_b.jpg"}));
    EXPECT_TRUE(NamesIn(out2).empty());
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.entries_taken, 2u);
    // The question still comes; Cancel writes nothing and the log stays.
    ASSERT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(host_.messages[0].kind, Kind::kQuestion);
    EXPECT_FALSE(FileExists(export_path));
    EXPECT_EQ(host_.errors.size(), 4u);
    EXPECT_EQ(controls_.events.back(), "idle");
    EXPECT_EQ(host_.progress_position, 0);
    EXPECT_EQ(host_.status, "");
}

TEST_F(BatchRunTest, DriveRootIsCheckedAsStoredAndRunWithoutItsSeparator) {
    // "D:\" passes the check only as itself; the run must go to "D:".
    Folder("D:\\", {"wrong.bmp"});
    Folder("D:", {"right.bmp"});
    const std::string out = Folder("out");
    const fs::path previous = fs::current_path();
    fs::current_path(dir_.path());
    const BatchOutcome outcome = Run({Job("D:\\", "out")});
    fs::current_path(previous);
    EXPECT_EQ(host_.errors, (V{Line(0, kBatchLogStarted), Line(0, kBatchLogFinished)}));
    EXPECT_EQ(NamesIn(out), std::set<std::string>{"t_right.jpg"});
    EXPECT_EQ(outcome.failed_entries, 0u);
}

// The log keeps Japanese in every language, the folder's reason too; the screen's
// copy is in the user's language.
TEST_F(BatchRunTest, UnreadableSourceFolderIsLoggedWithItsReasonAndTheRunGoesOn) {
    const std::string out = Folder("out");
    const std::string in = Folder("in", {"a.bmp"});
    bool thrown = false;
    host_.on_pending = [&thrown] {
        if (!thrown) {
            thrown = true;
            ThrowIoError(N_("フォルダ {} を読み込めません: {}"), "/somewhere", "Permission denied");
        }
    };
    test::UseLanguage("en_US.UTF-8");
    InitTranslation(NUTHUMB_LOCALE_DIR);
    const BatchOutcome outcome = Run({Job(in, out), Job(in, out)});
    test::UseLanguage("C.UTF-8");
    InitTranslation(NUTHUMB_LOCALE_DIR);
    EXPECT_EQ(host_.errors, (V{Line(0, kBatchLogStarted), "NO 0 : フォルダ /somewhere を読み込めません: Permission denied",
                               Line(1, kBatchLogStarted), Line(1, kBatchLogFinished)}));
    EXPECT_EQ(host_.shown, (V{"Entry 0: started.", "Entry 0: cannot read the folder /somewhere: Permission denied",
                              "Entry 1: started.", "Entry 1: finished."}));
    EXPECT_EQ(outcome.failed_entries, 1u);
    EXPECT_EQ(outcome.failed_files, 0u) << "the reason line names no file";
    EXPECT_EQ(controls_.events, (V{"batch", "select 0", "reset", "select 1", "reset", "idle"}));
}

TEST_F(BatchRunTest, TenthFieldOneRunsTheTreeAndLogsTheFolderThatCannotBeRead) {
    const std::string in = Folder("in", {"a.bmp"});
    Folder("in/sub", {"b.bmp"});
    const std::string locked = Folder("in/locked", {"c.bmp"});
    const V outs = {Folder("tree"), Folder("nine"), Folder("zero")};
    fs::permissions(dir_.path(), fs::perms(0755));
    for (const std::string& out : outs) fs::permissions(out, fs::perms(0777));
    fs::permissions(locked, fs::perms::none);
    const std::optional<std::string> outcome = test::RunUnprivileged([&] {
        const BatchOutcome result = Run({Job(in, outs[0]) + ",\"1\"", Job(in, outs[1]), Job(in, outs[2]) + ",\"0\""});
        std::string text = std::to_string(result.failed_files) + " " + std::to_string(result.failed_entries);
        for (const std::string& line : host_.errors) text += "\n" + line;
        return text;
    });
    if (!outcome) GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(*outcome, "1 0\n" + Line(0, kBatchLogStarted) + "\nフォルダ " + locked +
                            " を読み込めません: Permission denied\n" + Line(0, kBatchLogFinished) + "\n" +
                            Line(1, kBatchLogStarted) + "\n" + Line(1, kBatchLogFinished) + "\n" +
                            Line(2, kBatchLogStarted) + "\n" + Line(2, kBatchLogFinished));
    EXPECT_EQ(NamesIn(outs[0]), (std::set<std::string>{"t_a.jpg", "sub"}));
    EXPECT_EQ(NamesIn(outs[0] + "/sub"), std::set<std::string>{"t_b.jpg"});
    for (const std::string& flat : {outs[1], outs[2]}) EXPECT_EQ(NamesIn(flat), std::set<std::string>{"t_a.jpg"});
}

// An entry with the tenth field "2" is kept in sync: run again, it makes only
// what changed, where a nine-field entry makes everything again.
TEST_F(BatchRunTest, TenthFieldTwoMakesOnlyWhatChanged) {
    const std::string in = Folder("in", {"a.bmp", "b.bmp"});
    const std::string synced = Folder("synced"), plain = Folder("plain");
    host_.overwrite_mode = OverwriteMode::kAlways;
    const V entries = {Job(in, synced) + ",\"2\"", Job(in, plain)};
    Run(entries);
    EXPECT_EQ(NamesIn(synced), (std::set<std::string>{".nuthumb-sync", "t_a.jpg", "t_b.jpg"}));
    const auto inode = [](const std::string& path) { return IdentityOf(path)->inode; };
    const V paths = {synced + "/t_a.jpg", synced + "/t_b.jpg", plain + "/t_a.jpg"};
    std::vector<std::uint64_t> before;
    for (const std::string& path : paths) before.push_back(inode(path));
    test::WriteSampleBitmap(in + "/b.bmp", 9);
    Run(entries);
    EXPECT_EQ(inode(paths[0]), before[0]);  // up to date: not written again
    EXPECT_NE(inode(paths[1]), before[1]);  // its photo changed
    EXPECT_NE(inode(paths[2]), before[2]);  // no record asked for: made again
}

TEST_F(BatchRunTest, AnyOtherFailureStillEndsIdle) {
    host_.on_pending = [] { throw std::runtime_error("out of luck"); };
    EXPECT_THROW(Run({Job(Folder("in", {"a.bmp"}), Folder("out"))}), std::runtime_error);
    EXPECT_EQ(controls_.events.back(), "idle");
}

TEST_F(BatchRunTest, EmptyListOnlyShowsItsMessage) {
    host_.errors = {"kept"};
    const BatchOutcome outcome = Run({}, dir_.path() + "/NuThumb.Err");
    EXPECT_EQ(host_.messages, (std::vector<RecordedMessage>{{Kind::kInformation, kBatchEmptyListMessage}}));
    EXPECT_EQ(host_.errors, V{"kept"});
    EXPECT_TRUE(controls_.events.empty());
    EXPECT_EQ(outcome.entries_taken, 0u);
}

TEST_F(BatchRunTest, FailedExportNamesTheFileAndTheReason) {
    const std::string export_path = dir_.path() + "/no such folder/NuThumb.Err";
    host_.answers = {true};
    Run({"broken"}, export_path);
    ASSERT_EQ(host_.messages.size(), 2u);
    EXPECT_EQ(host_.messages[1].kind, Kind::kError);
    EXPECT_EQ(host_.messages[1].text.rfind(kWriteFailureMessage + export_path + "\r\n", 0), 0u)
        << host_.messages[1].text;
    EXPECT_NE(host_.messages[1].text.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(controls_.events.back(), "idle");
}

TEST_F(BatchRunTest, StopRequestedBetweenEntriesCancelsTheNextOne) {
    const std::string in = Folder("in", {"a.bmp"}), out = Folder("out");
    // The first entry is a data error and never reaches a folder run that could see a cancel.
    controls_.stop = [this] { return controls_.events.size() > 2; };
    const BatchOutcome outcome = Run({"x", Job(in, out), Job(in, out)}, dir_.path() + "/NuThumb.Err");
    EXPECT_EQ(host_.errors, (V{Line(0, kBatchLogStarted), Line(0, kBatchLogDataError), Line(1, kBatchLogStarted),
                               Line(1, kBatchLogCancelled)}));
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(NamesIn(out).empty());
    EXPECT_TRUE(host_.messages.empty()) << "a stop from outside asks nothing";
}

}  // namespace
}  // namespace nuthumb
