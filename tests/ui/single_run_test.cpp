// The single run over real folders, driven through the window's own buttons and
// menu, with every message box answered and recorded.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "codecs/codec_table.h"
#include "tests/support/hostile_files.h"
#include "tests/support/sample_images.h"
#include "image/prepare_thumbnail.h"
#include "platform/file_io.h"
#include "tests/ui/window_fixture.h"
#include "ui/radio_group.h"

namespace nuthumb::test {
namespace {

using Icon = QMessageBox::Icon;

const std::vector<std::string> kOk = {"OK"};
const std::vector<std::string> kOkCancel = {"OK", "キャンセル"};
const std::string kCancelled = "サムネイル作成を中断しました。";
const std::string kFinished = "サムネイル作成が終了しました。";
const std::string kNoFile = "読込み元フォルダにファイルが存在しません。";
const std::string kSizeError = "サムネイルの指定サイズが間違っています。";

SeenBox Info(const std::string& text) { return {"情報", text, Icon::Information, kOk}; }
// The result box: the result's own words, then what became of the files.
SeenBox Result(const std::string& result, int made, int kept, int failed, int not_reached = 0) {
    std::string counts = "作成: " + std::to_string(made) + " 個、既にあったため残した: " + std::to_string(kept) +
                         " 個、失敗: " + std::to_string(failed) + " 個";
    if (not_reached > 0) counts += "、中断のため未処理: " + std::to_string(not_reached) + " 個";
    return Info(result + "\n\n" + counts);
}
SeenBox Question(const std::string& text) { return {"情報", text, Icon::Information, kOkCancel}; }
SeenBox Error(const std::string& text) { return {"エラー", text, Icon::Critical, kOk}; }

// A BMP's height from its info header.
std::int32_t BitmapHeight(const std::string& path) {
    const std::string bytes = ReadText(path);
    std::int32_t height = 0;
    std::memcpy(&height, bytes.data() + 22, 4);
    return height;
}

class SingleRunTest : public WindowTest {
protected:
    void Sources(std::initializer_list<const char*> names) const {
        for (const char* name : names) {
            if (std::strstr(name, "broken")) WriteText(In() + "/" + name, "not a bitmap");
            else WriteSampleBitmap(In() + "/" + name, 8, 6);
        }
    }
    std::string ExportQuestion() const {
        return "サムネイル作成時にエラーになったファイルが存在します。エラーファイルリストを出力しますか?\n"
               "Filename : " + ErrFile();
    }
};

TEST_F(SingleRunTest, CancelAfterTheFirstFileThenExportTheErrorList) {
    Sources({"a_broken.bmp", "b.bmp", "c.bmp", "d.bmp"});
    Start();
    PointAtFolders();
    std::map<std::string, bool> during;
    answerer_.Once([this] { return Progress() >= 1; }, [&] {
        during = Enabled();
        Click("stopButton");
    });
    std::vector<std::pair<int, std::string>> behind_boxes;  // progress and status line
    answerer_.on_box = [&](const SeenBox&) {
        behind_boxes.emplace_back(Progress(), Find<QLabel>("statusLabel")->text().toStdString());
    };
    const std::map<std::string, bool> idle = Enabled();
    Click("startButton");

    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{Result(kCancelled, 0, 0, 1, 3), Question(ExportQuestion())}));
    ASSERT_EQ(behind_boxes.size(), 2u);
    // How far the run got (and, on a slow machine, the time left) before the file.
    EXPECT_EQ(behind_boxes[0].first, 1);
    EXPECT_EQ(behind_boxes[0].second.rfind("1/4  ", 0), 0u) << behind_boxes[0].second;
    EXPECT_TRUE(behind_boxes[0].second.ends_with("  サムネイル作成中 : a_broken.bmp")) << behind_boxes[0].second;
    EXPECT_EQ(behind_boxes[1], (std::pair<int, std::string>{0, ""}));
    EXPECT_EQ(Enabled(), idle);
    // During the run the window was in the single-run state main_window_test pins.
    form_->SetSingleRunState();
    EXPECT_EQ(during, Enabled());
    form_->SetIdleState();
    EXPECT_TRUE(NamesIn(Out()).empty()) << "cancelled after the first file, which failed";
    EXPECT_EQ(ReadText(ErrFile()), In() + "/a_broken.bmp\r\n");
    EXPECT_EQ(form_->ErrorList(), std::vector<std::string>{In() + "/a_broken.bmp"});
}

TEST_F(SingleRunTest, ResultsAndTheExportDeclined) {
    Sources({"a_broken.bmp", "b.bmp"});
    Start();
    PointAtFolders(0);
    // A typed 5 passes as a number; the run takes the spin position, 30.
    auto* size = Find<QLineEdit>("sizeEdit");
    size->selectAll();
    QTest::keyClicks(size, "5");
    answerer_.answers = {"OK", "キャンセル"};
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{Result(kFinished, 1, 0, 1), Question(ExportQuestion())}));
    EXPECT_FALSE(FileExists(ErrFile())) << "キャンセル writes nothing";
    EXPECT_EQ(form_->ErrorList().size(), 1u) << "the list stays until the next run";
    EXPECT_EQ(BitmapHeight(Out() + "/b.bmp"), 30);

    // The next run clears the list; a folder without sources asks nothing.
    std::filesystem::remove_all(In());
    std::filesystem::create_directory(In());
    answerer_.boxes.clear();
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Info(kNoFile)});
    EXPECT_TRUE(form_->ErrorList().empty());
}

// The size box shows the size a run takes: a number outside 30..640 becomes the
// nearer bound as soon as the box is left, or when 作成 is pressed with the
// focus still in it; the thumbnails have the size shown.
TEST_F(SingleRunTest, TheSizeBoxShowsTheSizeTheRunTakes) {
    Sources({"b.bmp"});
    Start();
    QApplication::setActiveWindow(form_.get());  // so that Tab moves the focus
    PointAtFolders(0);
    auto* size = Find<QLineEdit>("sizeEdit");
    for (const auto& [typed, shown] : {std::pair{"1024", "640"}, std::pair{"10", "30"}, std::pair{"0x1E", "30"}}) {
        size->setFocus();
        size->selectAll();
        QTest::keyClicks(size, typed);
        QTest::keyClick(size, Qt::Key_Tab);
        EXPECT_EQ(size->text().toStdString(), shown) << typed;
    }
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, "1024");
    Click("startButton");
    EXPECT_EQ(size->text(), "640");
    EXPECT_EQ(BitmapHeight(Out() + "/b.bmp"), 640);
    size->selectAll();
    QTest::keyClicks(size, "10");
    Click("startButton");
    EXPECT_EQ(size->text(), "30");
    EXPECT_EQ(BitmapHeight(Out() + "/b.bmp"), 30);
}

// The settings dialog's photo preset sets what --photos sets: the photo group in
// the dialog, every format and the long side on the individual tab; the run then
// makes what that job makes, dated as its source.
TEST_F(SingleRunTest, ThePhotoPresetGivesThePhotosJob) {
    Sources({"b.bmp"});
    std::filesystem::last_write_time(In() + "/b.bmp", std::filesystem::file_time_type::clock::now() -
                                                          std::chrono::hours(24 * 30));
    Start();
    PointAtFolders(1);
    Find<RadioGroup>("basisGroup")->SetItemIndex(0);
    QTest::mouseClick(dialog_->findChild<QPushButton*>("photoPresetButton"), Qt::LeftButton);
    EXPECT_EQ(Find<RadioGroup>("sourceFormatGroup")->ItemIndex(), 6);
    EXPECT_EQ(Find<RadioGroup>("basisGroup")->ItemIndex(), 2);
    Click("startButton");
    Conversion conversion{ImageFormat::kJpeg, 50, Basis::kLarger, true};
    conversion.photo = {true, 90, ScaleFilter::kArea, true, true};
    const std::vector<std::uint8_t> expected = PrepareThumbnail(In() + "/b.bmp", conversion, {}).target_bytes;
    EXPECT_EQ(ReadText(Out() + "/b.jpg"), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(std::filesystem::last_write_time(Out() + "/b.jpg"), std::filesystem::last_write_time(In() + "/b.bmp"));
}

// One folder, one format, no prefix or suffix: each original would become its
// own thumbnail. The window asks first, naming how many, with キャンセル as what
// Enter presses; キャンセル keeps every original, OK runs as before, and a prefix
// needs no question.
TEST_F(SingleRunTest, AsksBeforeOriginalsBecomeTheirOwnThumbnails) {
    Sources({"a.bmp", "b.bmp"});
    const std::string original = ReadText(In() + "/a.bmp");
    Start();
    PointAtFolders(0);
    SetText("targetFolderEdit", In());
    const SeenBox question = Question(
        "読込み元と出力先が同じため、元の画像 2 個がそれぞれ自身のサムネイルで置き換えられます。"
        "元の画像は元に戻せません。\n作成しますか?");
    answerer_.answers = {"キャンセル"};
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{question});
    EXPECT_EQ(answerer_.default_buttons, std::vector<std::string>{"キャンセル"});
    EXPECT_EQ(ReadText(In() + "/a.bmp"), original);
    EXPECT_EQ(Progress(), 0);

    answerer_.boxes.clear();
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{question, Result(kFinished, 2, 0, 0)}));
    EXPECT_NE(ReadText(In() + "/a.bmp"), original);

    answerer_.boxes.clear();
    SetText("prefixEdit", "t_");
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Result(kFinished, 2, 0, 0)});
}

// Images the chosen format passes over are named once, after the result.
TEST_F(SingleRunTest, TheResultNamesImagesOfOtherFormats) {
    for (const char* name : {"a.png", "b.jpg", "c.gif"}) WriteText(In() + "/" + name, "x");
    Start();
    PointAtFolders();
    Click("startButton");
    EXPECT_EQ(answerer_.boxes,
              std::vector<SeenBox>{Info(kNoFile + "\n\n読込みファイルとは別の形式の画像が 2 個あります"
                                                  "（ファイル形式「すべて」 で読み込めます）。\n"
                                                  "読み込めない形式の画像（GIF、TIFF など）が 1 個あります。")});
}

TEST_F(SingleRunTest, ConvertOnlyKeepsTheSourceSize) {
    Sources({"b.bmp"});
    Start();
    PointAtFolders(0);
    Click("convertOnlyCheck");
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Result(kFinished, 1, 0, 0)});
    EXPECT_EQ(BitmapHeight(Out() + "/b.bmp"), 6);
}

// The subfolder box reaches the run: the tree is listed and mirrored, the box's
// job is the one the run makes, not the top folder alone.
TEST_F(SingleRunTest, SubfolderBoxMirrorsTheTree) {
    std::filesystem::create_directories(In() + "/2024/05 旅行");
    WriteSampleBitmap(In() + "/2024/05 旅行/b.bmp", 8, 6);
    Start();
    PointAtFolders(0);
    Click("recursiveCheck");
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Result(kFinished, 1, 0, 0)});
    EXPECT_TRUE(std::filesystem::is_regular_file(Out() + "/2024/05 旅行/b.bmp"));
}

// The update box reaches the run: a second run makes nothing and says how
// many were up to date.
TEST_F(SingleRunTest, UpdateBoxMakesOnlyWhatChanged) {
    Sources({"b.bmp", "c.bmp"});
    Start();
    PointAtFolders(0);
    Click("updateCheck");
    Click("startButton");
    Click("startButton");
    const SeenBox first = Result(kFinished, 2, 0, 0), second = Result(kFinished, 0, 0, 0);
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{Info(first.text + "、最新のため作らなかった: 0 個"),
                                                     Info(second.text + "、最新のため作らなかった: 2 個")}));
}

// The run takes the settings dialog's photo group as it stands when it starts.
TEST_F(SingleRunTest, TakesThePhotoGroupOfTheSettingsDialog) {
    Sources({"b.bmp"});
    Start();
    PointAtFolders(1);
    dialog_->findChild<QSpinBox*>("qualitySpin")->setValue(10);
    dialog_->findChild<RadioGroup*>("filterGroup")->SetItemIndex(1);
    dialog_->findChild<QCheckBox*>("toSrgbCheck")->setChecked(true);
    Click("startButton");
    Conversion conversion{ImageFormat::kJpeg, 50, Basis::kHeight, true};
    conversion.photo = {false, 10, ScaleFilter::kArea, false, true};
    const std::string written = ReadText(Out() + "/b.jpg");
    const std::vector<std::uint8_t> expected = PrepareThumbnail(In() + "/b.bmp", conversion, {}).target_bytes;
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));
}

TEST_F(SingleRunTest, RefusedBeforeTheRunWithOneErrorBox) {
    Sources({"a_broken.bmp"});
    Start();
    PointAtFolders();
    answerer_.answers = {"OK", "キャンセル"};
    Click("startButton");  // leaves one line in the ErrorList
    struct Row {
        const char* src;
        const char* size;
        std::string message;
    };
    for (const Row& row : {Row{"", "50", "読込み先フォルダが未設定です。"}, Row{"in", "", kSizeError},
                           Row{"in", "abc", kSizeError}, Row{"in", "１２", kSizeError}}) {
        SetText("sourceFolderEdit", *row.src ? In() : "");
        SetText("sizeEdit", row.size);
        const std::map<std::string, bool> before = Enabled();
        answerer_.boxes.clear();
        Click("startButton");
        EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Error(row.message)}) << row.size;
        EXPECT_EQ(Enabled(), before);
        EXPECT_EQ(form_->ErrorList().size(), 1u);
    }
}

TEST_F(SingleRunTest, SettingsDialogChangedInTheMiddleOfTheRun) {
    Sources({"b.bmp", "c.bmp", "d.bmp"});
    for (const char* name : {"b.jpg", "c.jpg", "d.jpg"}) WriteText(Out() + "/" + name, "old");
    Start();
    PointAtFolders();
    // After the first file the user opens 設定 and switches to asking.
    answerer_.Once([this] { return Progress() >= 1; }, [this] { Find<QAction>("settingsAction")->trigger(); });
    answerer_.on_dialog = [](QDialog* dialog) {
        QList<QRadioButton*> items = dialog->findChild<QWidget*>("overwriteGroup")->findChildren<QRadioButton*>();
        QTest::mouseClick(items.at(2), Qt::LeftButton, {}, QPoint(4, 4));
        dialog->close();
    };
    answerer_.answers = {"キャンセル", "キャンセル", "OK"};
    Click("startButton");
    const std::string ask = "同一ファイルが存在します。上書きしますか?\nFilename : ";
    EXPECT_EQ(answerer_.dialogs, std::vector<std::string>{"SettingsDialog"});
    EXPECT_EQ(answerer_.boxes,
              (std::vector<SeenBox>{Question(ask + "c.jpg"), Question(ask + "d.jpg"), Result(kFinished, 1, 2, 0)}));
    EXPECT_NE(ReadText(Out() + "/b.jpg"), "old");
    EXPECT_EQ(ReadText(Out() + "/c.jpg"), "old");
    EXPECT_EQ(ReadText(Out() + "/d.jpg"), "old");
}

TEST_F(SingleRunTest, ClosingDuringTheRunEndsItLikeAnExit) {
    Sources({"b.bmp", "c.bmp", "d.bmp"});
    Start();
    PointAtFolders();
    answerer_.Once([this] { return Progress() >= 1; }, [this] {
        form_->close();
        form_->close();  // a second close while the run unwinds changes nothing
    });
    Click("startButton");
    EXPECT_TRUE(answerer_.boxes.empty()) << "no result box, no export question";
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(Find("startButton")->isEnabled());
    EXPECT_EQ(NamesIn(Out()), std::set<std::string>{"b.jpg"});
    Stop();
    const std::string ini = ReadText(Ini());
    for (const char* key : {"RadioGroupSaveMode=", "LEFT=", "SrcDir=", "Script1="})
        EXPECT_NE(ini.find(key), std::string::npos) << key;
}

// 中止 ends the decode the run waits for at once: a scan bomb that would take
// seconds to be refused is neither made nor named.
TEST_F(SingleRunTest, StopEndsTheDecodeInHandAtOnce) {
    Sources({"a.bmp"});
    WriteFileAtomic(In() + "/b.jpg", test::RepeatedScanJpeg(16384, 16384, 1000));
    Start();
    PointAtFolders();
    Find<RadioGroup>("sourceFormatGroup")->SetItemIndex(kEveryFormatItem);
    answerer_.Once([this] { return Progress() >= 1; }, [this] { Click("stopButton"); });
    Click("startButton");
    EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{Result(kCancelled, 1, 0, 0, 1)});
    EXPECT_TRUE(form_->ErrorList().empty());
    EXPECT_EQ(NamesIn(Out()), std::set<std::string>{"a.jpg"});
}

TEST_F(SingleRunTest, ErrorListThatCannotBeWrittenIsReported) {
    Sources({"a_broken.bmp"});
    const std::string err = folders_.root() + "/no such folder/NuThumb.Err";
    Start({Ini(), err});
    PointAtFolders();
    Click("startButton");
    ASSERT_EQ(answerer_.boxes.size(), 3u);
    const SeenBox& failure = answerer_.boxes[2];
    EXPECT_EQ(failure.caption, "エラー");
    EXPECT_EQ(failure.icon, Icon::Critical);
    EXPECT_EQ(failure.text.rfind("ファイルを書き込めません。\nFilename : " + err + "\n", 0), 0u) << failure.text;
    EXPECT_GT(failure.text.size(), ("ファイルを書き込めません。\nFilename : " + err + "\n").size()) << "a reason";
    EXPECT_TRUE(Find("startButton")->isEnabled());
    EXPECT_FALSE(Find("stopButton")->isEnabled());
}

// The program's folder for its files can change while the window is open (it
// stops being writable): each file is placed anew when it is used, and the export
// question names the file then written.
TEST_F(SingleRunTest, FilesArePlacedAtTheMomentOfUse) {
    Sources({"a_broken.bmp"});
    std::string folder = folders_.root() + "/a";
    std::filesystem::create_directory(folders_.root() + "/a");
    std::filesystem::create_directory(folders_.root() + "/b");
    Start({FilePlace([&] { return folder + "/nuthumb.ini"; }), FilePlace([&] { return folder + "/NuThumb.Err"; })});
    folder = folders_.root() + "/b";
    PointAtFolders();
    Click("startButton");
    ASSERT_EQ(answerer_.boxes.size(), 2u);
    EXPECT_EQ(answerer_.boxes[1].text.substr(answerer_.boxes[1].text.find("Filename : ")),
              "Filename : " + folder + "/NuThumb.Err");
    Stop();
    EXPECT_EQ(NamesIn(folders_.root() + "/a"), std::set<std::string>{});
    EXPECT_EQ(NamesIn(folder), (std::set<std::string>{"NuThumb.Err", "nuthumb.ini"}));
    EXPECT_NE(ReadText(folder + "/nuthumb.ini").find("\r\nRadioGroupSaveMode=1\r\n"), std::string::npos)
        << "the dialog's keys too";
}

}  // namespace
}  // namespace nuthumb::test
