// The program as a whole: its three windows created and destroyed in order, the
// settings file that the exit leaves, where the about box opens, and errors that
// escape.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/program_windows.h"
#include "platform/executable_path.h"
#include "settings/settings_path.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/temp_dir.h"

namespace nuthumb::test {
namespace {

class ProgramTest : public ::testing::Test {
protected:
    ~ProgramTest() override { windows_.reset(); }

    void Start(const std::string& ini) {
        windows_.emplace(ProgramFiles{ini, dir_.path() + "/NuThumb.Err"});
        windows_->Main().show();
    }
    // The end of the window loop: the windows go in the reverse order.
    void Exit() {
        windows_->Main().close();
        windows_.reset();
    }
    std::string Ini() const { return dir_.path() + "/nuthumb.ini"; }

    TempDir dir_;
    ModalAnswerer answerer_;
    std::optional<ProgramWindows> windows_;
};

TEST_F(ProgramTest, FirstExitWritesEveryKeyInTheExitOrder) {
    Start(Ini());
    const QPoint place = windows_->Main().pos();
    Exit();
    const std::string expected = "[SYSTEM]\r\nErrorOpt=0\r\nRadioGroupSaveMode=1\r\nLEFT=" +
                                 std::to_string(place.x()) + "\r\nTOP=" + std::to_string(place.y()) +
                                 "\r\nSrcDir=\r\nDstDir=\r\nFileHead=\r\nFileEnd=\r\nSize=50\r\nOption=0\r\n"
                                 "ReadFileMode=1\r\nSaveFileMode=1\r\nNOThumb=0\r\nBatch=0\r\nScript1=\r\n"
                                 "AutoOrient=0\r\nQuality=90\r\nFilter=0\r\nKeepDates=0\r\nRecursive=0\r\nToSRGB=0\r\nPreviews=0\r\n"
                                 "Update=0\r\n";
    EXPECT_EQ(FileBytes(Ini()), expected);
    EXPECT_TRUE(answerer_.boxes.empty());
}

// A settings file that cannot be written at exit: the one box (with the program's
// title), then a normal end; an existing file keeps its bytes.
TEST_F(ProgramTest, SettingsFileThatCannotBeWrittenAtExit) {
    const std::string not_a_folder = dir_.path() + "/file";
    PlantFile(not_a_folder, "x");
    // Each path with the system's reason, which the box gives on a line of its own.
    std::vector<std::pair<std::string, std::string>> paths = {
        {not_a_folder + "/nuthumb.ini", "Not a directory"},
        {dir_.path() + "/folder.ini", "フォルダであり、通常のファイルではありません"}};
    std::filesystem::create_directory(paths[1].first);  // exists, but cannot be read as a file
    paths.emplace_back(dir_.path() + "/huge.ini", "64 MiB を超えています");
    PlantFile(paths.back().first, "[SYSTEM]\r\nSize=99\r\n");
    std::filesystem::resize_file(paths.back().first, std::uintmax_t{1} << 30);  // sparse
    if (::geteuid() != 0) {  // root reads every file
        paths.emplace_back(dir_.path() + "/locked.ini", "Permission denied");
        PlantFile(paths.back().first, "[SYSTEM]\r\nSize=99\r\n");
        ::chmod(paths.back().first.c_str(), 0);
    }
    for (const auto& [path, reason] : paths) {
        answerer_.boxes.clear();
        Start(path);
        EXPECT_EQ(windows_->Main().findChild<QLineEdit*>("sizeEdit")->text(), "50") << "defaults: " << path;
        Exit();
        const SeenBox expected{ProgramTitle(ExecutablePath()), path + " に書き込めません.\n" + reason,
                               QMessageBox::Critical, {"OK"}};
        EXPECT_EQ(answerer_.boxes, std::vector<SeenBox>{expected});
    }
    EXPECT_TRUE(std::filesystem::is_directory(paths[1].first));
    EXPECT_EQ(std::filesystem::file_size(paths[2].first), std::uintmax_t{1} << 30);
    if (paths.size() > 3) {
        ::chmod(paths[3].first.c_str(), 0600);
        EXPECT_EQ(FileBytes(paths[3].first), "[SYSTEM]\r\nSize=99\r\n");
    }
}

TEST_F(ProgramTest, AboutBoxOpensCentredThenWhereItWasClosed) {
    Start(Ini());
    std::vector<QPoint> opened_at;
    QSize outer;
    answerer_.on_dialog = [&](QDialog* about) {
        outer = about->frameGeometry().size();
        opened_at.push_back(about->pos());
        if (opened_at.size() == 1) {
            about->move(40, 30);
            QTest::mouseClick(about->findChild<QAbstractButton*>("okButton"), Qt::LeftButton);
        } else {
            about->close();  // the title bar's close button
        }
    };
    QAction* version = windows_->Main().findChild<QAction*>("aboutAction");
    version->trigger();
    version->trigger();
    ASSERT_EQ(opened_at.size(), 2u);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(opened_at[0], QPoint((screen.width() + 1) / 2 - (outer.width() + 1) / 2,
                                   (screen.height() + 1) / 2 - (outer.height() + 1) / 2));
    EXPECT_EQ(opened_at[1], QPoint(40, 30));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window is usable again";
}

// An object whose event handler fails the way a bug would.
class FailingObject : public QObject {
public:
    int events = 0;
    bool event(QEvent*) override {
        if (++events == 1) throw std::runtime_error("想定外のエラー");
        return true;
    }
};

TEST(ApplicationTest, ErrorEscapingAHandlerIsShownAndTheLoopGoesOn) {
    ModalAnswerer answerer;
    FailingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    EXPECT_EQ(answerer.boxes, (std::vector<SeenBox>{{ProgramTitle(ExecutablePath()), "想定外のエラー",
                                                     QMessageBox::Critical, {"OK"}}}));
    EXPECT_TRUE(QCoreApplication::sendEvent(&object, &event));
}

}  // namespace
}  // namespace nuthumb::test
