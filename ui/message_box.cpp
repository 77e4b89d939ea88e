#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/executable_path.h"
#include "platform/file_io.h"
#include "settings/settings_path.h"
#include "ui/window_font.h"

namespace nuthumb {
namespace {

bool RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
            bool with_cancel, DefaultAnswer default_answer = DefaultAnswer::kOk) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    ApplyWindowFont(&box);
    box.setTextFormat(Qt::PlainText);  // file names may hold '<'
    QPushButton* ok = box.addButton(kOkText, QMessageBox::AcceptRole);
    QPushButton* cancel = with_cancel ? box.addButton(Tr(kCancelText), QMessageBox::RejectRole) : nullptr;
    if (cancel) box.setEscapeButton(cancel);
    box.setDefaultButton(cancel && default_answer == DefaultAnswer::kCancel ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok;
}

QString ProgramTitleText() {
    try {
        return QString::fromStdString(ProgramTitle(ExecutablePath()));
    } catch (const IoError&) {
        return QStringLiteral("Nuthumb");
    }
}

}  // namespace

QString BoxText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void ShowErrorBox(QWidget* parent, const QString& text) {
    RunBox(parent, QMessageBox::Critical, Tr(kErrorCaption), text, false);
}

void ShowInformationBox(QWidget* parent, const QString& text) {
    RunBox(parent, QMessageBox::Information, Tr(kInformationCaption), text, false);
}

bool AskOkCancelBox(QWidget* parent, const QString& text, DefaultAnswer default_answer) {
    return RunBox(parent, QMessageBox::Information, Tr(kInformationCaption), text, true, default_answer);
}

void ShowProgramErrorBox(QWidget* parent, const QString& text) {
    RunBox(parent, QMessageBox::Critical, ProgramTitleText(), text, false);
}

}  // namespace nuthumb
