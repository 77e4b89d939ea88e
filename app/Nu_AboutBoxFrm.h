#pragma once
// The about box: product name, version, build date and the project's lines. The
// texts are fixed (the version is the project's); nothing is read or stored.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace nuthumb {

class TNu_AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TNu_AboutBox(QWidget* parent = nullptr);

private:
    void Button1Click();

    QFrame* Panel1;
    QLabel* ProductName;
    QLabel* StaticTextPName;
    QLabel* Version;
    QLabel* StaticTextVer;
    QLabel* Label2;
    QLabel* StaticTextBuild;
    QLabel* Copyright;
    QLabel* StaticTextCopyright;
    QLabel* Comments;
    QLabel* StaticTextComment;
    QLabel* Label1;
    QLabel* StaticText1;
    QPushButton* Button1;
};

}  // namespace nuthumb
