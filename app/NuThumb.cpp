// nuthumb: the window program. It takes no command-line arguments; everything it
// remembers lives in nuthumb.ini, in the program's folder for its own files.
#include <QIcon>
#include <exception>

#include "app/nu_application.h"
#include "app/program_windows.h"
#include "ui/message_box.h"

int main(int argc, char** argv) {
    using namespace nuthumb;
    NuApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(":/nuthumb/nuthumb.svg"));
    try {
        ProgramWindows windows(DefaultProgramFiles());
        windows.Form1().show();
        QApplication::exec();
        // Leaving the scope destroys the windows, which store their settings.
    } catch (const std::exception& e) {
        // Only start-up can get here (the program's own path unknown, say).
        ShowProgramErrorBox(nullptr, QString::fromStdString(e.what()));
        return 1;
    }
    return 0;
}
