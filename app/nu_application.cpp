#include "app/nu_application.h"

#include <clocale>
#include <exception>

#include "ui/message_box.h"

namespace nuthumb {

NuApplication::NuApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setDesktopFileName("nuthumb");
    // QApplication takes the whole locale from the environment; numbers stay in
    // the C form the settings file is written in (the texts' language stays).
    std::setlocale(LC_NUMERIC, "C");
}

bool NuApplication::notify(QObject* receiver, QEvent* event) {
    // The window's own handlers catch their errors; this is the net under the
    // rest (event filters, paint and close events).
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowProgramErrorBox(nullptr, QString::fromStdString(e.what()));
        return false;
    }
}

}  // namespace nuthumb
