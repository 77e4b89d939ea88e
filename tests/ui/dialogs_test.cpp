// The settings dialog and the folder picker, reached through the main window.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QTreeView>

#include "tests/settings/settings_test_util.h"
#include "tests/ui/window_fixture.h"
#include "ui/folder_picker.h"

namespace nuthumb::test {
namespace {

struct DialogRow {
    const char* name;
    const char* stored;     // the two keys' lines, as a user may have left them
    bool checked;           // reportErrorsCheck
    int mode;               // overwriteGroup, -1 for none
    OverwriteMode live;     // what the engine reads
    const char* written;    // the two keys' lines after the exit
};

class SettingsDialogTest : public WindowTest, public testing::WithParamInterface<DialogRow> {};

TEST_P(SettingsDialogTest, ShowsTheStoredOptionsAndWritesThemBack) {
    const DialogRow& row = GetParam();
    PlantFile(Ini(), std::string("[SYSTEM]\r\n") + row.stored);
    Start();
    EXPECT_EQ(dialog_->findChild<QCheckBox*>("reportErrorsCheck")->isChecked(), row.checked);
    EXPECT_EQ(dialog_->findChild<RadioGroup*>("overwriteGroup")->ItemIndex(), row.mode);
    // The engine reads the options from the dialog through the main window.
    EXPECT_EQ(form_->Host().ReportLoadErrors(), row.checked);
    EXPECT_EQ(form_->Host().LiveOverwriteMode(), row.live);
    Stop();
    EXPECT_NE(FileBytes(Ini()).find(row.written), std::string::npos) << FileBytes(Ini());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsDialogTest,
    testing::Values(DialogRow{"Missing", "", false, 1, OverwriteMode::kAlways, "ErrorOpt=0\r\nRadioGroupSaveMode=1\r\n"},
                    DialogRow{"Two", "ErrorOpt=2\r\nRadioGroupSaveMode=7\r\n", true, 2, OverwriteMode::kAsk,
                              "ErrorOpt=1\r\nRadioGroupSaveMode=2\r\n"},
                    DialogRow{"LowByteZero", "ErrorOpt=256\r\nRadioGroupSaveMode=-5\r\n", false, -1, OverwriteMode::kNever,
                              "ErrorOpt=0\r\nRadioGroupSaveMode=-1\r\n"}),
    [](const testing::TestParamInfo<DialogRow>& info) { return info.param.name; });

// The photo group: the stored keys shown, the runs given its values, the keys
// stored after every other key at exit.
TEST_F(WindowTest, SettingsDialogPhotoGroup) {
    PlantFile(Ini(), "[SYSTEM]\r\nQuality=0\r\nFilter=1\r\nAutoOrient=1\r\nKeepDates=1\r\nToSRGB=1\r\nPreviews=1\r\n");
    Start();
    auto* orient = dialog_->findChild<QCheckBox*>("autoOrientCheck");
    auto* quality = dialog_->findChild<QSpinBox*>("qualitySpin");
    auto* filter = dialog_->findChild<RadioGroup*>("filterGroup");
    auto* keep_dates = dialog_->findChild<QCheckBox*>("keepDatesCheck");
    auto* to_srgb = dialog_->findChild<QCheckBox*>("toSrgbCheck");
    ASSERT_TRUE(orient && quality && filter && keep_dates && to_srgb);
    EXPECT_TRUE(orient->isChecked());
    EXPECT_EQ(quality->value(), 90);  // 0 is no quality: the default
    EXPECT_EQ(filter->ItemIndex(), 1);
    // "Previews" has no control: the runs get it as read, and it goes back as read.
    EXPECT_EQ(dialog_->PhotoOptionsOfControls(),
              (PhotoOptions{true, 90, ScaleFilter::kArea, true, true, PreviewUse::kNever}));
    quality->setValue(35);
    filter->SetItemIndex(0);
    keep_dates->setChecked(false);
    to_srgb->setChecked(false);
    Stop();
    const std::string bytes = FileBytes(Ini());
    for (const char* line :
         {"AutoOrient=1\r\n", "Quality=35\r\n", "Filter=0\r\n", "KeepDates=0\r\n", "ToSRGB=0\r\n", "Previews=1\r\n"})
        EXPECT_NE(bytes.find(line), std::string::npos) << bytes;
}

TEST_F(WindowTest, SettingsDialogOpensCentredThenWhereItWasClosed) {
    Start();
    std::vector<QPoint> opened_at;
    QPoint moved_to(31, 47);
    QSize outer;
    answerer_.on_dialog = [&](QDialog* dialog) {
        opened_at.push_back(dialog->pos());
        outer = dialog->frameGeometry().size();
        dialog->move(moved_to);
        dialog->close();  // the title bar's close button; there is no other
    };
    Find<QAction>("settingsAction")->trigger();
    Find<QAction>("settingsAction")->trigger();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    ASSERT_EQ(opened_at.size(), 2u);
    EXPECT_EQ(opened_at[0], QPoint((screen.width() + 1) / 2 - (outer.width() + 1) / 2,
                                   (screen.height() + 1) / 2 - (outer.height() + 1) / 2));
    EXPECT_EQ(opened_at[1], moved_to);
}

TEST_F(WindowTest, FolderPickerBesideTheWindowWithTheSelectedPath) {
    Start();
    struct Opened {
        QPoint at;
        std::string preselected, status;
    };
    std::vector<Opened> opened;
    std::string choose;  // empty: cancel
    answerer_.on_dialog = [&](QDialog* dialog) {
        auto* picker = qobject_cast<FolderPicker*>(dialog);
        ASSERT_NE(picker, nullptr);
        Opened o{picker->pos(), picker->SelectedPath().toStdString(), {}};
        picker->SelectPath(QString::fromStdString(Out()));
        auto* status = picker->findChild<QLabel*>("pathLabel");
        o.status = status->text().toStdString();
        // A screen reader reads the path itself.
        EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), status->text());
        opened.push_back(o);
        QTest::mouseClick(picker->findChild<QAbstractButton*>(choose.empty() ? "cancelButton" : "okButton"),
                          Qt::LeftButton);
    };
    form_->move(100, 200);
    SetText("sourceFolderEdit", In());
    Click("sourceFolderButton");  // cancelled
    EXPECT_EQ(Find<QLineEdit>("sourceFolderEdit")->text().toStdString(), In());

    form_->move(-100, -50);  // partly off the screen: the same offset
    SetText("targetFolderEdit", "no such folder");
    choose = Out();
    Click("targetFolderButton");
    EXPECT_EQ(Find<QLineEdit>("targetFolderEdit")->text().toStdString(), Out());

    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].at, QPoint(125, 265));
    EXPECT_EQ(opened[0].preselected, In()) << "opens on the folder the edit names";
    EXPECT_EQ(opened[0].status, Out());
    EXPECT_EQ(opened[1].at, QPoint(-75, 15));
    EXPECT_EQ(opened[1].preselected, QDir::homePath().toStdString()) << "or on the home folder";
}

// The README's pictures root the tree at a sample folder: nothing above it shows.
TEST_F(WindowTest, FolderPickerRootedAtASampleFolder) {
    FolderPicker picker(nullptr, QString::fromStdString(Out()), QString::fromStdString(folders_.root()));
    auto* tree = picker.findChild<QTreeView*>("folderTree");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    EXPECT_EQ(model->filePath(tree->rootIndex()).toStdString(), folders_.root());
    EXPECT_EQ(picker.SelectedPath().toStdString(), Out());
}

}  // namespace
}  // namespace nuthumb::test
