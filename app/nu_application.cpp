#include "app/nu_application.h"

#include <exception>

#include "ui/message_box.h"

namespace nuthumb {

NuApplication::NuApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setDesktopFileName("nuthumb");
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
