// nuthumb: the window program. Apart from --help and --version it takes no
// command-line arguments of its own; everything it remembers lives in nuthumb.ini,
// in the program's folder for its own files.
#include <QIcon>
#include <exception>
#include <iostream>

#include "app/nu_application.h"
#include "app/program_windows.h"
#include "app/start_check.h"
#include "image/contained_decode.h"
#include "platform/physical_memory.h"
#include "platform/translate.h"
#include "ui/message_box.h"

int main(int argc, char** argv) {
    using namespace nuthumb;
    KeepFreedMemoryForReuse();  // before any thread has a heap of its own
    InitTranslation();
    ContainComplexDecoders(DecoderProgram());
    if (const std::optional<int> status = AnswerBeforeWindows(argc, argv, std::cout, std::cerr)) return *status;
    NuApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(":/nuthumb/nuthumb.svg"));
    try {
        ProgramWindows windows(DefaultProgramFiles());
        windows.Main().show();
        QApplication::exec();
        // Leaving the scope destroys the windows, which store their settings.
    } catch (const std::exception& e) {
        // Only start-up can get here (the program's own path unknown, say).
        ShowProgramErrorBox(nullptr, QString::fromStdString(e.what()));
        return 1;
    }
    return 0;
}
