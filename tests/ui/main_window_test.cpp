// The main window outside of runs: first start, the enabling states, the spin
// box, the batch feature, dropped folders, menu items.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
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

const std::vector<const char*> kSizeControls = {"sizeLabel", "sizeEdit", "sizeSpin", "sizeUnitLabel", "basisGroup"};

class MainWindowTest : public WindowTest {
protected:
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    QTabWidget* Pages() const { return Find<QTabWidget>("pages"); }
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    Start();
    // Centred on the size the window has when it is created; the frame the
    // window system adds on showing is not known before.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(form_->x(), (screen.width() + 1) / 2 - (form_->width() + 1) / 2);
    EXPECT_EQ(form_->y(), (screen.height() + 1) / 2 - (form_->height() + 1) / 2);
    EXPECT_EQ(form_->minimumSize(), form_->maximumSize()) << "the window is not resizable";
    EXPECT_FALSE(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form_->windowFlags() & Qt::WindowMinimizeButtonHint);

    for (const char* edit : {"sourceFolderEdit", "targetFolderEdit", "prefixEdit", "suffixEdit", "batchEntryEdit"})
        EXPECT_EQ(Find<QLineEdit>(edit)->text(), "") << edit;
    EXPECT_EQ(Find<QLineEdit>("sizeEdit")->text(), "50");
    EXPECT_EQ(Find<RadioGroup>("basisGroup")->ItemIndex(), 0);
    EXPECT_EQ(Find<RadioGroup>("sourceFormatGroup")->ItemIndex(), 1);
    EXPECT_EQ(Find<RadioGroup>("targetFormatGroup")->ItemIndex(), 1);
    EXPECT_FALSE(Find<QCheckBox>("convertOnlyCheck")->isChecked());
    EXPECT_FALSE(Action("batchFeatureAction")->isChecked());
    EXPECT_FALSE(Pages()->isTabVisible(1));
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_FALSE(Find("registerBatchButton")->isVisibleTo(form_.get()));
    EXPECT_EQ(Find<QListWidget>("batchListBox")->count(), 0);
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Find<QLabel>("statusLabel")->text(), "");
    for (const auto& [name, enabled] : Enabled())
        EXPECT_EQ(enabled, name != "stopButton" && name != "batchStopButton") << name;
}

// The run's status text after how far it is: count/total, then the time left
// once the pace is known; screen readers read the line as shown.
TEST_F(MainWindowTest, ScreenReadersReadTheStatusLineItself) {
    Start();
    form_->Host().SetProgressMax(4);
    form_->Host().SetProgressPosition(1);
    form_->Host().SetStatusText("サムネイル作成中 : a.bmp");
    EXPECT_EQ(Find<QLabel>("statusLabel")->text(), "1/4  サムネイル作成中 : a.bmp");
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(Find("statusLabel"));
    EXPECT_EQ(status->text(QAccessible::Name), "1/4  サムネイル作成中 : a.bmp");
}

// The three enabling states with the convert-only rule on and off: the table of
// the window description, with the size controls following the check box.
TEST_F(MainWindowTest, EnablingStatesEndWithTheConvertOnlyRule) {
    Start();
    struct State {
        const char* name;
        void (MainWindow::*apply)();
        std::vector<std::string> enabled;  // besides convertOnlyCheck and the size controls
    };
    const std::vector<State> states = {
        {"idle", &MainWindow::SetIdleState, {}},
        {"single run", &MainWindow::SetSingleRunState, {"stopButton"}},
        {"batch run", &MainWindow::SetBatchRunState, {"batchStopButton"}},
    };
    for (const bool convert_only : {false, true}) {
        Find<QCheckBox>("convertOnlyCheck")->setChecked(convert_only);
        for (const State& state : states) {
            (form_.get()->*state.apply)();
            for (const auto& [name, enabled] : Enabled()) {
                const bool size_control = std::count(kSizeControls.begin(), kSizeControls.end(), name) > 0;
                bool expected;
                if (name == "convertOnlyCheck") expected = true;
                else if (size_control) expected = !convert_only;
                else if (std::string(state.name) == "idle")
                    expected = name != "stopButton" && name != "batchStopButton";
                else expected = std::count(state.enabled.begin(), state.enabled.end(), name) > 0;
                EXPECT_EQ(enabled, expected) << state.name << ", convert only " << convert_only << ": " << name;
            }
        }
    }
    // A click on the check box applies the rule at once, in whatever state.
    form_->SetIdleState();
    Click("convertOnlyCheck");
    for (const char* name : kSizeControls) EXPECT_TRUE(Find(name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, StoredValuesShowAsTheControlsKeepThem) {
    PlantFile(Ini(),
              "[SYSTEM]\r\nLEFT=-40\r\nTOP=5000\r\nSrcDir=C:\\\"写真\"\r\nSize=1000\r\nOption=-3\r\n"
              "ReadFileMode=-5\r\nSaveFileMode=7\r\nNOThumb=2\r\nBatch=1\r\n"
              "Script1=\"a\",\"1\"\r\nScript2=\r\nScript3=\"c\"\r\n");
    Start();
    EXPECT_EQ(form_->pos(), QPoint(-40, 5000)) << "stored places are used as they are";
    EXPECT_EQ(Find<QLineEdit>("sourceFolderEdit")->text(), "C:\\\"写真\"");
    EXPECT_EQ(Find<QLineEdit>("sizeEdit")->text(), "640");
    EXPECT_EQ(Find<RadioGroup>("basisGroup")->ItemIndex(), -1);
    EXPECT_EQ(Find<RadioGroup>("sourceFormatGroup")->ItemIndex(), -1);
    EXPECT_EQ(Find<RadioGroup>("targetFormatGroup")->ItemIndex(), 1);
    EXPECT_TRUE(Find<QCheckBox>("convertOnlyCheck")->isChecked());
    for (const char* name : kSizeControls) EXPECT_FALSE(Find(name)->isEnabled()) << name;
    EXPECT_TRUE(Pages()->isTabVisible(1));
    auto* list = Find<QListWidget>("batchListBox");
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
    auto* edit = Find<QLineEdit>("sizeEdit");
    auto* spin = Find<UpDown>("sizeSpin");
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
    Action("batchFeatureAction")->trigger();
    EXPECT_TRUE(Action("batchFeatureAction")->isChecked());
    EXPECT_TRUE(Pages()->isTabVisible(1));
    EXPECT_TRUE(Find("registerBatchButton")->isVisibleTo(form_.get()));
    Pages()->setCurrentIndex(1);
    Action("batchFeatureAction")->trigger();
    EXPECT_FALSE(Pages()->isTabVisible(1));
    EXPECT_EQ(Pages()->currentIndex(), 0) << "the individual tab comes to the front";
    EXPECT_FALSE(Find("registerBatchButton")->isVisibleTo(form_.get()));
    Action("batchFeatureAction")->trigger();
    EXPECT_EQ(Find<QListWidget>("batchListBox")->count(), 2) << "hiding keeps the list";

    Action("helpAction")->trigger();  // does nothing
    EXPECT_TRUE(answerer_.boxes.empty());
    EXPECT_TRUE(form_->isVisible());
    Action("quitAction")->trigger();
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
    SetText("sourceFolderEdit", "old text");
    drop(Find("sourceFolderEdit"), In());
    EXPECT_EQ(Find<QLineEdit>("sourceFolderEdit")->text().toStdString(), In());
    drop(Find("targetFolderEdit"), file);
    EXPECT_EQ(Find<QLineEdit>("targetFolderEdit")->text().toStdString(), In());
}

}  // namespace
}  // namespace nuthumb::test
