// nuthumb-screenshots OUTPUT_DIR SAMPLE_DIR: starts the program's windows the way
// nuthumb does, over a sample settings file and sample folders made in SAMPLE_DIR
// (emptied first), and writes a PNG of each window into OUTPUT_DIR.
// scripts/screenshots.sh runs it under Xvfb.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileSystemModel>
#include <QTabWidget>
#include <QTreeView>
#include <iostream>

#include "app/program_windows.h"
#include "platform/file_io.h"
#include "ui/Nu_SHBrowseForFolder.h"

namespace {

using namespace nuthumb;

// A settings file as a user's might look after some work: batch feature on,
// three registered runs.
std::string SampleSettings(const QString& pictures) {
    const std::string base = QDir::toNativeSeparators(pictures).toStdString();
    return "[SYSTEM]\r\n"
           "SrcDir=" + base + "/旅行\r\n"
           "DstDir=" + base + "/サムネイル\r\n"
           "FileHead=t_\r\nFileEnd=_s\r\nSize=120\r\nOption=2\r\nReadFileMode=1\r\nSaveFileMode=1\r\n"
           "NOThumb=0\r\nBatch=1\r\n"
           "Script1=\"" + base + "/旅行\",\"1\",\"" + base + "/サムネイル\",\"1\",\"t_\",\"_s\",\"120\",\"2\",\"1\"\r\n"
           "Script2=\"" + base + "/家族\",\"1\",\"" + base + "/サムネイル\",\"0\",\"t_\",\"\",\"160\",\"0\",\"1\"\r\n"
           "Script3=\"" + base + "/スキャン\",\"0\",\"" + base + "/変換\",\"1\",\"\",\"\",\"50\",\"0\",\"0\"\r\n"
           "Script4=\r\n";
}

// Lets queued work (the picker's folder listing) finish before a picture.
void Settle(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget* window, const QString& dir, const char* name) {
    const QString path = dir + "/" + name;
    const bool ok = window->grab().save(path, "PNG");
    std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << std::endl;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: nuthumb-screenshots OUTPUT_DIR SAMPLE_DIR\n";
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir sample(QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    sample.removeRecursively();
    const QString pictures = sample.path() + "/写真";
    for (const char* sub : {"旅行", "家族", "スキャン", "サムネイル"}) QDir().mkpath(pictures + "/" + sub);
    const std::string ini = (sample.path() + "/nuthumb.ini").toStdString();
    WriteFileAtomic(ini, SampleSettings(pictures));

    bool ok = true;
    {
        ProgramWindows windows({ini, (sample.path() + "/NuThumb.Err").toStdString()});
        TForm1& form = windows.Form1();
        form.show();
        Settle(200);
        ok &= Save(&form, out, "main_window.png");
        auto* pages = form.findChild<QTabWidget*>("PageControl1");
        pages->setCurrentIndex(1);
        Settle(100);
        ok &= Save(&form, out, "main_window_batch.png");
        pages->setCurrentIndex(0);

        windows.FormSetting().show();
        Settle(100);
        ok &= Save(&windows.FormSetting(), out, "settings_dialog.png");
        windows.FormSetting().hide();

        FolderPickerDialog picker(&form, pictures + "/旅行");
        picker.show();
        Settle(1000);  // the folder model lists in the background
        ok &= Save(&picker, out, "folder_picker.png");
        picker.hide();

        windows.AboutBox().show();
        Settle(100);
        ok &= Save(&windows.AboutBox(), out, "about_box.png");
        windows.AboutBox().hide();
    }
    return ok ? 0 : 1;
}
