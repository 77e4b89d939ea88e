// The batch tab driven through its real buttons and list: registering from the
// individual tab, editing the list, batch runs over folders on disk, and the list
// kept across a restart.
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>

#include "platform/text_codec.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/sample_images.h"
#include "tests/ui/window_fixture.h"

namespace nuthumb::test {
namespace {

using V = std::vector<std::string>;

// An entry of nine (or any number of) quoted fields.
std::string Entry(const V& fields) {
    std::string entry;
    for (const std::string& field : fields) entry += (entry.empty() ? "\"" : ",\"") + field + "\"";
    return entry;
}

std::string Started(int i) { return "NO " + std::to_string(i) + " : サムネイル作成開始。"; }
std::string Finished(int i) { return "NO " + std::to_string(i) + " : サムネイル作成終了。"; }
std::string NoSource(int i) { return "NO " + std::to_string(i) + " : 読込み元フォルダにファイルが存在しません。"; }
std::string Cancelled(int i) { return "NO " + std::to_string(i) + " : サムネイル作成を中断しました。"; }
std::string DataError(int i) { return "NO " + std::to_string(i) + " : 登録データエラー　－　終了。"; }

class BatchTabTest : public WindowTest {
protected:
    // Starts with the batch feature on, the batch tab in front and `stored` as the
    // stored list.
    void StartWithBatchTab(const V& stored = {}, const std::string& error_list = {}) {
        std::string ini = "[SYSTEM]\r\nBatch=1\r\n";
        for (std::size_t i = 0; i < stored.size(); ++i) ini += "Script" + std::to_string(i + 1) + "=" + stored[i] + "\r\n";
        PlantFile(Ini(), ini);
        Start({Ini(), error_list.empty() ? ErrFile() : error_list});
        Find<QTabWidget>("pages")->setCurrentIndex(1);
    }
    QListWidget* List() const { return Find<QListWidget>("batchListBox"); }
    int SelectedRow() const {
        const QList<QListWidgetItem*> picked = List()->selectedItems();
        return picked.isEmpty() ? -1 : List()->row(picked.front());
    }
    std::string EntryText() const { return Find<QLineEdit>("batchEntryEdit")->text().toStdString(); }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) const {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers,
                          List()->visualItemRect(List()->item(row)).center());
    }
    // A folder under the test's root with sample bitmaps and damaged ones.
    std::string Folder(const std::string& name, const V& bitmaps = {}, const V& broken = {}) const {
        const std::string path = folders_.root() + "/" + name;
        std::filesystem::create_directories(path);
        for (const std::string& b : bitmaps) WriteSampleBitmap(path + "/" + b);
        for (const std::string& b : broken) WriteText(path + "/" + b, "damaged");
        return path;
    }
    // Bitmaps from `src` to JPEGs named prefix + name in Out(), size 4.
    std::string Job(const std::string& src, const std::string& prefix) const {
        return Entry({src, "0", Out(), "1", prefix, "", "4", "0", "1"});
    }
    std::string ExportQuestion(const std::string& path) const {
        return "バッチ処理結果をリストを出力しますか?\nFilename : " + path;
    }
};

TEST_F(BatchTabTest, RegisterTakesTheIndividualTabAndLeavesTheListAlone) {
    StartWithBatchTab({"\"x\""});
    ClickRow(0);
    SetText("batchEntryEdit", "typed");
    Find<QTabWidget>("pages")->setCurrentIndex(0);
    SetText("sourceFolderEdit", "D:\\");  // a drive root loses its separator
    SetText("targetFolderEdit", "abc");   // three bytes that are no drive root stay whole
    SetText("prefixEdit", "縮小_");
    SetText("suffixEdit", "");
    Find<RadioGroup>("sourceFormatGroup")->SetItemIndex(0);
    Find<RadioGroup>("targetFormatGroup")->SetItemIndex(-1);  // only a stored value can do this
    Find<RadioGroup>("basisGroup")->SetItemIndex(2);
    auto* size = Find<QLineEdit>("sizeEdit");
    size->selectAll();
    QTest::keyClicks(size, "120");
    size->selectAll();
    QTest::keyClicks(size, "abc");  // the spin box keeps 120
    Click("convertOnlyCheck");
    Click("registerBatchButton");
    Click("recursiveCheck");  // subfolders: a tenth field, and only then
    Click("registerBatchButton");
    EXPECT_EQ(size->text(), "abc");
    Click("convertOnlyCheck");  // the size box takes keys again
    size->selectAll();
    QTest::keyClicks(size, "1024");  // registered, and shown, as the spin box's 640
    Click("registerBatchButton");
    EXPECT_EQ(size->text(), "640");
    Click("updateCheck");  // kept in sync: the tenth field's second bit
    Click("registerBatchButton");

    EXPECT_EQ(Rows(), (V{"\"x\"", Entry({"D:", "0", "abc", "-1", "縮小_", "", "120", "2", "0"}),
                         Entry({"D:", "0", "abc", "-1", "縮小_", "", "120", "2", "0", "1"}),
                         Entry({"D:", "0", "abc", "-1", "縮小_", "", "640", "2", "1", "1"}),
                         Entry({"D:", "0", "abc", "-1", "縮小_", "", "640", "2", "1", "3"})}));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(EntryText(), "typed");
    EXPECT_TRUE(answerer_.boxes.empty());
}

// The edit buttons one after the other, each step with the list, the selection
// and EntryText it must leave. An action is a button (its object name), a click
// on a row, a Ctrl+click, the Down key in the list, a click below the entries or
// a text for EntryText.
TEST_F(BatchTabTest, EditButtonsKeepTheirSelectionRules) {
    StartWithBatchTab({"a", "b", "c"});
    const auto act = [this](const std::string& action) {
        const std::string value = action.substr(action.find('=') + 1);
        if (action.starts_with("edit=")) SetText("batchEntryEdit", value);
        else if (action.starts_with("row=")) ClickRow(std::stoi(value));
        else if (action.starts_with("ctrl=")) ClickRow(std::stoi(value), Qt::ControlModifier);
        else if (action == "key=Down") QTest::keyClick(List(), Qt::Key_Down);
        else if (action == "below") QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                                                      QPoint(20, List()->viewport()->height() - 5));
        else Click(action.c_str());
    };
    struct Step {
        const char* what;
        V actions, rows;
        int selected;
        std::string edit;
    };
    const std::vector<Step> steps = {
        {"no selection: the four that need one do nothing",
         {"edit=e", "updateEntryButton", "deleteEntryButton", "moveUpButton", "moveDownButton"},
         {"a", "b", "c"}, -1, "e"},
        {"追加 appends", {"addEntryButton"}, {"a", "b", "c", "e"}, -1, "e"},
        {"a click copies the entry", {"row=1"}, {"a", "b", "c", "e"}, 1, "b"},
        {"▲ moves it up, not past the top", {"moveUpButton", "moveUpButton"}, {"b", "a", "c", "e"}, 0, "b"},
        {"the keyboard picks like a click", {"key=Down"}, {"b", "a", "c", "e"}, 1, "a"},
        {"▼ moves it down", {"moveDownButton"}, {"b", "c", "a", "e"}, 2, "a"},
        {"更新 on the last keeps it last and selected, ▼ cannot pass it",
         {"row=3", "edit=f", "updateEntryButton", "moveDownButton"},
         {"b", "c", "a", "f"}, 3, "f"},
        {"Ctrl+click takes the selection away, and 削除 then does nothing", {"ctrl=3", "deleteEntryButton"},
         {"b", "c", "a", "f"}, -1, "f"},
        {"a click below the entries keeps the selection, and 削除 acts on it", {"row=2", "below", "below"},
         {"b", "c", "a", "f"}, 2, "a"},
        {"削除 leaves no selection", {"deleteEntryButton"}, {"b", "c", "f"}, -1, "a"},
        {"全クリア asks nothing", {"row=0", "clearListButton"}, {}, -1, "b"},
        {"追加 of an empty edit makes an empty entry", {"edit=", "addEntryButton"}, {""}, -1, ""},
    };
    for (const Step& step : steps) {
        for (const std::string& action : step.actions) act(action);
        EXPECT_EQ(Rows(), step.rows) << step.what;
        EXPECT_EQ(SelectedRow(), step.selected) << step.what;
        EXPECT_EQ(EntryText(), step.edit) << step.what;
    }
    EXPECT_TRUE(answerer_.boxes.empty());
}

TEST_F(BatchTabTest, RunLogsEachEntryAndExportsTheLog) {
    const std::string in0 = Folder("in0", {"b.bmp"}, {"a_broken.bmp"});
    const std::string empty = Folder("empty");
    StartWithBatchTab({Job(in0, "t_"), Entry({in0, "0", Out(), "1", "", "", "4", "0"}), Job(empty, "u_")});
    SetText("batchEntryEdit", "kept");
    std::map<std::string, bool> during;
    int selected_during = -2;
    answerer_.Once([this] { return Progress() >= 1; }, [&] {
        during = Enabled();
        selected_during = SelectedRow();
    });
    const std::map<std::string, bool> idle = Enabled();
    Click("batchStartButton");

    const V log = {Started(0), in0 + "/a_broken.bmp", Finished(0), Started(1), DataError(1), Started(2), NoSource(2)};
    EXPECT_EQ(form_->ErrorList(), log);
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{{"情報", ExportQuestion(ErrFile()), QMessageBox::Information,
                                                     {"OK", "キャンセル"}}}));
    // CP932 with CR LF; the data-error line's blanks and dash are 81 40, 81 7C, 81 40.
    const std::string bytes = ReadText(ErrFile());
    std::string expected;
    for (const std::string& line : log) expected += line + "\r\n";
    EXPECT_EQ(DecodeCp932(bytes), expected);
    EXPECT_NE(bytes.find("NO 1 : \x93\x6F\x98\x5E\x83\x66\x81\x5B\x83\x5E\x83\x47\x83\x89\x81\x5B"
                         "\x81\x40\x81\x7C\x81\x40\x8F\x49\x97\xB9\x81\x42\r\n"),
              std::string::npos);
    EXPECT_EQ(NamesIn(Out()), std::set<std::string>{"t_b.jpg"});

    // The run's own selection is not copied into EntryText.
    EXPECT_EQ(selected_during, 0);
    EXPECT_EQ(SelectedRow(), 2) << "the last entry taken up";
    EXPECT_EQ(EntryText(), "kept");
    EXPECT_EQ(Enabled(), idle);
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Find<QLabel>("statusLabel")->text(), "");
    // During the run the window was in the batch-run state main_window_test pins.
    form_->SetBatchRunState();
    EXPECT_EQ(during, Enabled());
    form_->SetIdleState();
}

// Entries that would turn originals into their own thumbnails are named in one
// question before anything runs; キャンセル (the default) leaves them untouched.
TEST_F(BatchTabTest, AsksOnceBeforeEntriesReplaceTheirOriginals) {
    const std::string in0 = Folder("in0", {"a.bmp"}), in1 = Folder("in1", {"b.bmp"});
    const std::string original = ReadText(in1 + "/b.bmp");
    const std::string replacing = Entry({in1, "0", in1, "0", "", "", "4", "0", "1"});
    StartWithBatchTab({Job(in0, "t_"), replacing});
    answerer_.answers = {"キャンセル"};
    Click("batchStartButton");
    ASSERT_EQ(answerer_.boxes.size(), 1u);
    EXPECT_EQ(answerer_.boxes[0].text,
              "次のバッチ登録では読込み元と出力先が同じため、元の画像がそれぞれ自身のサムネイルで置き換えられます。"
              "元の画像は元に戻せません。\nNO 1 : " + replacing + "\nバッチ処理を実行しますか?");
    EXPECT_EQ(answerer_.default_buttons, std::vector<std::string>{"キャンセル"});
    EXPECT_TRUE(form_->ErrorList().empty()) << "nothing ran";
    EXPECT_TRUE(NamesIn(Out()).empty());

    answerer_.boxes.clear();
    answerer_.answers = {"OK", "キャンセル"};
    Click("batchStartButton");
    EXPECT_EQ(answerer_.boxes.size(), 2u) << "the question, then the export question";
    EXPECT_NE(ReadText(in1 + "/b.bmp"), original);
    EXPECT_EQ(NamesIn(Out()), std::set<std::string>{"t_a.jpg"});
}

// A double click on either 作成: the second click is queued before the first is
// handled and arrives while the first lists the folders. One run, one question.
TEST_F(BatchTabTest, DoubleClickOnEitherStartButtonStartsOneRun) {
    const std::string in0 = Folder("in0", {"a.bmp", "b.bmp"});
    StartWithBatchTab({Job(in0, "t_")});
    answerer_.answers = {"キャンセル"};
    QueueClicks("batchStartButton", 2);
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{{"情報", ExportQuestion(ErrFile()), QMessageBox::Information,
                                                     {"OK", "キャンセル"}}}));
    EXPECT_EQ(form_->ErrorList(), (V{Started(0), Finished(0)}));

    answerer_.boxes.clear();
    Find<QTabWidget>("pages")->setCurrentIndex(0);
    SetText("sourceFolderEdit", in0);
    SetText("targetFolderEdit", Out());
    Find<RadioGroup>("sourceFormatGroup")->SetItemIndex(0);
    QueueClicks("startButton", 2);
    EXPECT_EQ(answerer_.boxes,
              (std::vector<SeenBox>{{"情報", "サムネイル作成が終了しました。\n\n作成: 2 個、既にあったため残した: 0 個、失敗: 0 個",
                                     QMessageBox::Information, {"OK"}}}));
    EXPECT_TRUE(Find("startButton")->isEnabled());
    EXPECT_TRUE(Find("batchStartButton")->isEnabled());
}

TEST_F(BatchTabTest, CancelDuringAnEntryThenAFailedExportAndAnEmptyList) {
    const std::string in0 = Folder("in0", {"a.bmp"}), in1 = Folder("in1", {"a.bmp", "b.bmp", "c.bmp"});
    const std::string err = folders_.root() + "/no such folder/NuThumb.Err";
    StartWithBatchTab({Job(in0, "0_"), Job(in1, "1_"), Job(in0, "2_")}, err);
    answerer_.Once([this] { return SelectedRow() == 1 && Progress() >= 1; }, [this] { Click("batchStopButton"); });
    const std::map<std::string, bool> idle = Enabled();
    Click("batchStartButton");

    const V log = {Started(0), Finished(0), Started(1), Cancelled(1)};
    EXPECT_EQ(form_->ErrorList(), log);
    EXPECT_EQ(NamesIn(Out()), (std::set<std::string>{"0_a.jpg", "1_a.jpg"}));
    ASSERT_EQ(answerer_.boxes.size(), 2u);
    EXPECT_EQ(answerer_.boxes[0].text, ExportQuestion(err));
    const SeenBox& failure = answerer_.boxes[1];
    EXPECT_EQ(failure.caption, "エラー");
    EXPECT_EQ(failure.text.rfind("ファイルを書き込めません。\nFilename : " + err + "\n", 0), 0u) << failure.text;
    EXPECT_EQ(Enabled(), idle);

    // An empty list only says so; the log of the last run stays.
    Click("clearListButton");
    answerer_.boxes.clear();
    Click("batchStartButton");
    EXPECT_EQ(answerer_.boxes, (std::vector<SeenBox>{{"情報", "リストに何も登録されていません。",
                                                     QMessageBox::Information, {"OK"}}}));
    EXPECT_EQ(form_->ErrorList(), log);
    EXPECT_EQ(Enabled(), idle);
}

TEST_F(BatchTabTest, ClosingDuringAListingEndsTheBatchLikeAnExit) {
    const std::string in0 = Folder("in0", {"a.bmp", "b.bmp", "c.bmp"});
    StartWithBatchTab({Job(in0, "0_"), Job(in0, "1_")});
    int progress_at_close = -1;
    // While entry 0's folder is listed: the run state starts before the entries
    // are checked, the log with entry 0.
    answerer_.Once([this] { return Find("batchStopButton")->isEnabled() && !form_->ErrorList().empty(); }, [&] {
        progress_at_close = Progress();
        form_->close();
        form_->close();  // a second close while the run unwinds changes nothing
    });
    Click("batchStartButton");

    EXPECT_EQ(progress_at_close, 0) << "closed while the first folder was listed";
    EXPECT_EQ(form_->ErrorList(), (V{Started(0), Cancelled(0)})) << "the close outlives the listing";
    EXPECT_EQ(NamesIn(Out()), std::set<std::string>{"0_a.jpg"});
    EXPECT_TRUE(answerer_.boxes.empty()) << "no export question";
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(Find("batchStartButton")->isEnabled());
    Stop();
    EXPECT_NE(FileBytes(Ini()).find("Script2=" + Job(in0, "1_") + "\r\n"), std::string::npos);
}

TEST_F(BatchTabTest, ListSurvivesARestartWithoutItsEmptyEntries) {
    const V entries = {Entry({"D:\\写真", "1", "D:\\サムネイル", "0", "縮小_", "", "120", "2", "1"}), "",
                       Entry({"/home/user/café", "0", "/tmp", "1", "", "", "50", "0", "1"}), "", "plain"};
    StartWithBatchTab();
    for (const std::string& entry : entries) {
        SetText("batchEntryEdit", entry);
        Click("addEntryButton");
    }
    Stop();
    // é has no CP932 form, so the file goes out as UTF-8 with a byte-order mark.
    EXPECT_EQ(FileBytes(Ini()).rfind("\xEF\xBB\xBF", 0), 0u);
    Start();
    EXPECT_EQ(Rows(), (V{entries[0], entries[2], entries[4]}));
    EXPECT_EQ(SelectedRow(), -1);
}

}  // namespace
}  // namespace nuthumb::test
