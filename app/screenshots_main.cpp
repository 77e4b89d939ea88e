// nuthumb-screenshots OUTPUT_DIR SAMPLE_DIR: starts the program's windows the way
// nuthumb does, over a sample settings file, and writes a PNG of each window into
// OUTPUT_DIR. The picker is shown on sample folders made in SAMPLE_DIR (emptied
// first), its tree rooted at SAMPLE_DIR's parent so that no other folder of the
// machine appears. scripts/screenshots.sh runs it under Xvfb with a private,
// empty /home, SAMPLE_DIR being /home/user as in the sample settings.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTabWidget>
#include <QTreeView>
#include <clocale>
#include <iostream>

#include "app/program_windows.h"
#include "platform/file_io.h"
#include "platform/translate.h"
#include "ui/folder_picker.h"

namespace {

using namespace nuthumb;

// A settings file as a user's might look after some work: batch feature on,
// three registered runs (the first with its subfolders), subfolders ticked, photos
// turned upright, smoothed and dated as their sources.
constexpr char kSampleSettings[] =
    "[SYSTEM]\r\n"
    "SrcDir=/home/user/写真/旅行\r\nDstDir=/home/user/写真/サムネイル\r\n"
    "FileHead=t_\r\nFileEnd=_s\r\nSize=120\r\nOption=2\r\nReadFileMode=1\r\nSaveFileMode=1\r\n"
    "NOThumb=0\r\nBatch=1\r\n"
    "Script1=\"/home/user/写真/旅行\",\"1\",\"/home/user/写真/サムネイル\",\"1\",\"t_\",\"_s\",\"120\",\"2\",\"1\",\"1\"\r\n"
    "Script2=\"/home/user/写真/家族\",\"1\",\"/home/user/写真/サムネイル\",\"0\",\"t_\",\"\",\"160\",\"0\",\"1\"\r\n"
    "Script3=\"/home/user/スキャン\",\"0\",\"/home/user/スキャン/jpeg\",\"1\",\"\",\"\",\"50\",\"0\",\"0\"\r\n"
    "Script4=\r\n"
    "AutoOrient=1\r\nQuality=85\r\nFilter=1\r\nKeepDates=1\r\nRecursive=1\r\n";

// Lets queued work (the picker's folder listing) finish before a picture.
void Settle(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The pictures of another language go beside the Japanese ones: main_window_en.png.
QString suffix;

// The sample's folder names in the pictures' language: a user of the English
// window keeps English folder names.
QString SampleText(QString text) {
    if (suffix.isEmpty()) return text;
    for (const auto& [japanese, english] : {std::pair{"写真", "Pictures"}, {"旅行", "Trip"}, {"家族", "Family"},
                                            {"サムネイル", "Thumbnails"}, {"スキャン", "Scans"}})
        text.replace(japanese, english);
    return text;
}

bool Save(QWidget* window, const QString& dir, const char* name) {
    const QString path = dir + "/" + name + suffix + ".png";
    const bool ok = window->grab().save(path, "PNG");
    std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << std::endl;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    InitTranslation();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: nuthumb-screenshots OUTPUT_DIR SAMPLE_DIR [NAME_SUFFIX]\n";
        return 2;
    }
    suffix = argc == 4 ? argv[3] : "";
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir sample(QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    sample.removeRecursively();
    const QString pictures = sample.path() + SampleText("/写真");
    for (const char* sub : {"旅行", "家族", "サムネイル"}) QDir().mkpath(pictures + "/" + SampleText(sub));
    QDir().mkpath(sample.path() + SampleText("/スキャン/jpeg"));
    const std::string ini = (sample.path() + "/nuthumb.ini").toStdString();
    WriteFileAtomic(ini, std::string_view(SampleText(kSampleSettings).toStdString()));

    bool ok = true;
    {
        ProgramWindows windows({ini, (sample.path() + "/NuThumb.Err").toStdString()});
        MainWindow& form = windows.Main();
        form.show();
        Settle(200);
        ok &= Save(&form, out, "main_window");
        auto* pages = form.findChild<QTabWidget*>("pages");
        pages->setCurrentIndex(1);
        Settle(100);
        ok &= Save(&form, out, "main_window_batch");
        pages->setCurrentIndex(0);

        windows.Settings().show();
        Settle(100);
        ok &= Save(&windows.Settings(), out, "settings_dialog");
        windows.Settings().hide();

        QDir parent(sample);
        parent.cdUp();
        FolderPicker picker(&form, pictures + SampleText("/旅行"), parent.path());
        picker.show();
        // The folder model lists in the background; wait until the selection has
        // stayed in view for a while.
        auto* tree = picker.findChild<QTreeView*>("folderTree");
        const QDeadlineTimer give_up(10000);
        for (int settled = 0; settled < 5 && !give_up.hasExpired();) {
            Settle(100);
            const bool in_view = tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()));
            settled = in_view ? settled + 1 : 0;
        }
        ok &= Save(&picker, out, "folder_picker");
        picker.hide();

        windows.About().show();
        Settle(100);
        ok &= Save(&windows.About(), out, "about_box");
        windows.About().hide();
    }
    return ok ? 0 : 1;
}
