#pragma once
// The application object: an error that escapes an event handler is shown in an
// error box and the window loop goes on.
#include <QApplication>

namespace nuthumb {

class NuApplication : public QApplication {
    Q_OBJECT
public:
    NuApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace nuthumb
