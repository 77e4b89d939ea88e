// The main window outside of runs: first start, captions and accessibility, the
// enabling states, the spin box, the batch feature, dropped folders, menu items.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

#include "tests/settings/settings_test_util.h"
#include "tests/ui/window_fixture.h"
#include "ui/up_down.h"

namespace nuthumb::test {
namespace {

const std::vector<const char*> kSizeControls = {"Label6", "EditSize", "UpDownSize", "Label7", "RadioGroupOption"};

class MainWindowTest : public WindowTest {
protected:
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    QTabWidget* Pages() const { return Find<QTabWidget>("PageControl1"); }
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    Start();
    // Centred on the size the window has when it is created; the frame the
    // window system adds on showing is not known before.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(form_->x(), (screen.width() + 1) / 2 - (form_->width() + 1) / 2);
    EXPECT_EQ(form_->y(), (screen.height() + 1) / 2 - (form_->height() + 1) / 2);
    EXPECT_EQ(form_->centralWidget()->size(), QSize(423, 395));
    EXPECT_EQ(form_->minimumSize(), form_->maximumSize()) << "the window is not resizable";
    EXPECT_FALSE(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form_->windowTitle(), "サムネイル作成　- NuThumb -");

    for (const char* edit : {"EditSrcDir", "EditDstDir", "EditHead", "EditEnd", "EditBat"})
        EXPECT_EQ(Find<QLineEdit>(edit)->text(), "") << edit;
    EXPECT_EQ(Find<QLineEdit>("EditSize")->text(), "50");
    EXPECT_EQ(Find<RadioGroup>("RadioGroupOption")->ItemIndex(), 0);
    EXPECT_EQ(Find<RadioGroup>("RadioGroupReadFileExt")->ItemIndex(), 1);
    EXPECT_EQ(Find<RadioGroup>("RadioGroupSaveFileExt")->ItemIndex(), 1);
    EXPECT_FALSE(Find<QCheckBox>("CheckBoxNOThumb")->isChecked());
    EXPECT_FALSE(Action("N5")->isChecked());
    EXPECT_FALSE(Pages()->isTabVisible(1));
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_FALSE(Find("SpeedButtonBat")->isVisibleTo(form_.get()));
    EXPECT_EQ(Find<QListWidget>("ListBoxBat")->count(), 0);
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Find<QLabel>("LabelMes")->text(), "");
    for (const auto& [name, enabled] : Enabled())
        EXPECT_EQ(enabled, name != "SpeedButtonCancel" && name != "SpeedButtonBatCancel") << name;
}

TEST_F(MainWindowTest, CaptionsFitAndEveryControlHasASpokenName) {
    Start();
    Action("N5")->trigger();  // the batch tab's controls too
    // The names a screen reader speaks for the controls without a caption of their own.
    const std::map<std::string, std::string> spoken = {
        {"EditSrcDir", "読込み先フォルダ"},       {"EditDstDir", "保存先フォルダ"},
        {"EditHead", "保存ファイル名（前）"},     {"EditEnd", "保存ファイル名（後）"},
        {"EditSize", "サイズ指定"},               {"ListBoxBat", "バッチリスト"},
        {"EditBat", "バッチ登録データ"},          {"RadioGroupReadFileExt", "読込みファイル形式"},
        {"RadioGroupSaveFileExt", "保存ファイル形式"}, {"RadioGroupOption", "基準"},
        {"SpeedButtonThumb", "作成"},             {"SpeedButtonBatCancel", "中止"},
        {"SpeedButtonUp", "▲"}};
    for (const auto& [name, text] : spoken) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Find(name.c_str()));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(QAccessible::Name).toStdString(), text) << name;
    }
    QList<QWidget*> controls = Find("TabSheet1")->findChildren<QWidget*>();
    controls += Find("TabSheet2")->findChildren<QWidget*>();
    controls.append(Find("ProgressBar1"));
    for (QWidget* w : controls) {
        const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QGroupBox*>(w) || qobject_cast<QListWidget*>(w) ||
                             qobject_cast<QProgressBar*>(w) || qobject_cast<UpDown*>(w);
        if (!control) continue;
        const std::string what = w->objectName().toStdString() + " " + w->metaObject()->className();
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty()) << what;
        if (auto* tool = qobject_cast<QToolButton*>(w)) {
            EXPECT_EQ(tool->focusPolicy(), Qt::NoFocus) << what;
        } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << "clipped: " << what;
        }
    }
    for (QLabel* label : form_->findChildren<QLabel*>())
        EXPECT_LE(label->sizeHint().width(), label->width()) << "clipped: " << label->text().toStdString();
}

TEST_F(MainWindowTest, ScreenReadersReadTheStatusLineItself) {
    Start();
    form_->SetStatusText("サムネイル作成中 : a.bmp");
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(Find("LabelMes"));
    EXPECT_EQ(status->text(QAccessible::Name), "サムネイル作成中 : a.bmp");
    EXPECT_EQ(status->text(QAccessible::Description), "状態");
}

TEST_F(MainWindowTest, TabOrderOfTheIndividualTab) {
    Start();
    QApplication::setActiveWindow(form_.get());
    Find("EditSrcDir")->setFocus();
    std::vector<std::string> order;
    for (int i = 0; i < 9; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        // A radio button stands for its group.
        const QString name = focus->objectName().isEmpty() ? focus->parentWidget()->objectName() : focus->objectName();
        order.push_back(name.toStdString());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"EditSrcDir", "RadioGroupReadFileExt", "EditDstDir", "EditHead",
                                               "EditEnd", "RadioGroupSaveFileExt", "EditSize", "RadioGroupOption",
                                               "CheckBoxNOThumb"}));
}

// The three enabling states with the convert-only rule on and off: the table of
// the window description, with the size controls following the check box.
TEST_F(MainWindowTest, EnablingStatesEndWithTheConvertOnlyRule) {
    Start();
    struct State {
        const char* name;
        void (TForm1::*apply)();
        std::vector<std::string> enabled;  // besides CheckBoxNOThumb and the size controls
    };
    const std::vector<State> states = {
        {"idle", &TForm1::SetIdleState, {}},
        {"single run", &TForm1::SetSingleRunState, {"SpeedButtonCancel"}},
        {"batch run", &TForm1::SetBatchRunState, {"SpeedButtonBatCancel"}},
    };
    for (const bool convert_only : {false, true}) {
        Find<QCheckBox>("CheckBoxNOThumb")->setChecked(convert_only);
        for (const State& state : states) {
            (form_.get()->*state.apply)();
            for (const auto& [name, enabled] : Enabled()) {
                const bool size_control = std::count(kSizeControls.begin(), kSizeControls.end(), name) > 0;
                bool expected;
                if (name == "CheckBoxNOThumb") expected = true;
                else if (size_control) expected = !convert_only;
                else if (std::string(state.name) == "idle")
                    expected = name != "SpeedButtonCancel" && name != "SpeedButtonBatCancel";
                else expected = std::count(state.enabled.begin(), state.enabled.end(), name) > 0;
                EXPECT_EQ(enabled, expected) << state.name << ", convert only " << convert_only << ": " << name;
            }
        }
    }
    // A click on the check box applies the rule at once, in whatever state.
    form_->SetIdleState();
    Click("CheckBoxNOThumb");
    for (const char* name : kSizeControls) EXPECT_TRUE(Find(name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, StoredValuesShowAsTheControlsKeepThem) {
    PlantFile(Ini(),
              "[SYSTEM]\r\nLEFT=-40\r\nTOP=5000\r\nSrcDir=C:\\\"写真\"\r\nSize=1000\r\nOption=-3\r\n"
              "ReadFileMode=-5\r\nSaveFileMode=7\r\nNOThumb=2\r\nBatch=1\r\n"
              "Script1=\"a\",\"1\"\r\nScript2=\r\nScript3=\"c\"\r\n");
    Start();
    EXPECT_EQ(form_->pos(), QPoint(-40, 5000)) << "stored places are used as they are";
    EXPECT_EQ(Find<QLineEdit>("EditSrcDir")->text(), "C:\\\"写真\"");
    EXPECT_EQ(Find<QLineEdit>("EditSize")->text(), "640");
    EXPECT_EQ(Find<RadioGroup>("RadioGroupOption")->ItemIndex(), -1);
    EXPECT_EQ(Find<RadioGroup>("RadioGroupReadFileExt")->ItemIndex(), -1);
    EXPECT_EQ(Find<RadioGroup>("RadioGroupSaveFileExt")->ItemIndex(), 1);
    EXPECT_TRUE(Find<QCheckBox>("CheckBoxNOThumb")->isChecked());
    for (const char* name : kSizeControls) EXPECT_FALSE(Find(name)->isEnabled()) << name;
    EXPECT_TRUE(Pages()->isTabVisible(1));
    auto* list = Find<QListWidget>("ListBoxBat");
    ASSERT_EQ(list->count(), 1) << "an empty value ends the stored list";
    EXPECT_EQ(list->item(0)->text(), "\"a\",\"1\"");

    Stop();
    const std::string ini = FileBytes(Ini());
    for (const char* line : {"LEFT=-40\r\n", "TOP=5000\r\n", "Size=640\r\n", "Option=-1\r\n", "ReadFileMode=-1\r\n",
                             "SaveFileMode=1\r\n", "NOThumb=1\r\n", "Batch=1\r\n", "Script1=\"a\",\"1\"\r\n",
                             "Script2=\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
}

TEST_F(MainWindowTest, SpinArrowsKeysAndTypedNumbers) {
    Start();
    auto* edit = Find<QLineEdit>("EditSize");
    auto* spin = Find<UpDown>("UpDownSize");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "51");
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), "49");
    edit->selectAll();
    QTest::keyClicks(edit, "1000");
    EXPECT_EQ(edit->text(), "1000") << "typing is never corrected";
    EXPECT_EQ(spin->Position(), 640);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "640") << "no wrap-around at the top";
    edit->selectAll();
    QTest::keyClicks(edit, "abc");
    EXPECT_EQ(spin->Position(), 640) << "letters leave the position";
    edit->selectAll();
    QTest::keyClicks(edit, "31");
    auto* down = spin->findChildren<QToolButton*>().at(1);
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(edit->text(), "30") << "no wrap-around at the bottom";
}

TEST_F(MainWindowTest, BatchFeatureMenuAndTheOtherMenuItems) {
    PlantFile(Ini(), "[SYSTEM]\r\nScript1=\"x\"\r\nScript2=\"y\"\r\n");
    Start();
    EXPECT_EQ(Find<QMenu>("File1")->title(), "ファイル(&F)");
    EXPECT_TRUE(Action("N1")->isSeparator());
    EXPECT_EQ(Action("Exit1")->text(), "終了(&X)");
    EXPECT_EQ(Action("N5")->text(), "バッチ機能有効(&B)");
    EXPECT_EQ(Action("N4")->text(), "設定(&E)");
    EXPECT_EQ(Action("N2")->text(), "バージョン(&A)");

    Action("N5")->trigger();
    EXPECT_TRUE(Action("N5")->isChecked());
    EXPECT_TRUE(Pages()->isTabVisible(1));
    EXPECT_TRUE(Find("SpeedButtonBat")->isVisibleTo(form_.get()));
    Pages()->setCurrentIndex(1);
    Action("N5")->trigger();
    EXPECT_FALSE(Pages()->isTabVisible(1));
    EXPECT_EQ(Pages()->currentIndex(), 0) << "the individual tab comes to the front";
    EXPECT_FALSE(Find("SpeedButtonBat")->isVisibleTo(form_.get()));
    Action("N5")->trigger();
    EXPECT_EQ(Find<QListWidget>("ListBoxBat")->count(), 2) << "hiding keeps the list";

    Action("Help2")->trigger();  // does nothing
    EXPECT_TRUE(answerer_.boxes.empty());
    EXPECT_TRUE(form_->isVisible());
    Action("Exit1")->trigger();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(MainWindowTest, DroppedFolderOrFileSetsTheFolderEdit) {
    Start();
    const std::string file = In() + "/a.bmp";
    WriteText(file, "x");
    const auto drop = [](QWidget* target, const std::string& path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        EXPECT_TRUE(dropped.isAccepted());
    };
    SetText("EditSrcDir", "old text");
    drop(Find("EditSrcDir"), In());
    EXPECT_EQ(Find<QLineEdit>("EditSrcDir")->text().toStdString(), In());
    drop(Find("EditDstDir"), file);
    EXPECT_EQ(Find<QLineEdit>("EditDstDir")->text().toStdString(), In());
}

}  // namespace
}  // namespace nuthumb::test
