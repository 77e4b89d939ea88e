#pragma once
// The about box: product name, version, build date and the project's lines. The
// texts are fixed (the version is the project's); nothing is read or stored.
#include <QDialog>

namespace nuthumb {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace nuthumb
