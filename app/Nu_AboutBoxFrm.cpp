#include "app/Nu_AboutBoxFrm.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "platform/version.h"
#include "ui/placeable_widget.h"
#include "ui/window_font.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// A caption ending just left of its value field, and the sunken value field
// itself, described by the caption for screen readers, which speak its text.
QLabel* MakeCaption(QWidget* panel, const char* name, const char* text, int left, int top, int width) {
    auto* label = new QLabel(text, panel);
    label->setObjectName(name);
    // The captions end just left of the fields; a wider font grows them leftwards.
    const int needed = std::max(width, label->sizeHint().width());
    label->setGeometry(left + width - needed, top, needed, 12);
    return label;
}

QLabel* MakeValue(QWidget* panel, const char* name, const char* caption, int top, const char* text) {
    auto* field = new QLabel(text, panel);
    field->setObjectName(name);
    field->setGeometry(90, top, 231, 17);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setAccessibleDescription(caption);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return field;
}

}  // namespace

TNu_AboutBox::TNu_AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("Nu_AboutBox");
    setWindowTitle(Tr("バージョン情報"));
    ApplyWindowFont(this);
    setFixedSize(352, 213);
    KeepDialogPlacement(this);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 337, 161);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);  // lowered outside, raised inside

    // The six rows: caption (name, text, left, top, width), value field (name, top, text).
    struct Row {
        QLabel* TNu_AboutBox::*caption;
        const char* caption_name;
        const char* caption_text;
        int left, top, width;
        QLabel* TNu_AboutBox::*value;
        const char* value_name;
        int value_top;
        const char* value_text;
    };
    // The fields' texts start with a space. Appended rather than " " + text, which
    // GCC 12 at -O3 takes for an overlapping copy (-Wrestrict).
    std::string version = " ";
    version += kVersion;
    const Row rows[] = {
        {&TNu_AboutBox::ProductName, "ProductName", "Product Name", 13, 13, 72, &TNu_AboutBox::StaticTextPName,
         "StaticTextPName", 12, " NuThumb"},
        {&TNu_AboutBox::Version, "Version", "Version", 46, 37, 39, &TNu_AboutBox::StaticTextVer, "StaticTextVer", 36,
         version.c_str()},
        {&TNu_AboutBox::Label2, "Label2", "Build", 56, 61, 26, &TNu_AboutBox::StaticTextBuild, "StaticTextBuild", 60,
         " 2002.01.04"},
        {&TNu_AboutBox::Copyright, "Copyright", "Copyright", 34, 85, 49, &TNu_AboutBox::StaticTextCopyright,
         "StaticTextCopyright", 84, " Copyright (C) 2002 NuThumb"},
        {&TNu_AboutBox::Comments, "Comments", "E-Mail", 48, 111, 34, &TNu_AboutBox::StaticTextComment,
         "StaticTextComment", 108, " -"},
        {&TNu_AboutBox::Label1, "Label1", "Homepage", 30, 133, 53, &TNu_AboutBox::StaticText1, "StaticText1", 132,
         " -"},
    };
    for (const Row& row : rows) {
        this->*row.caption = MakeCaption(Panel1, row.caption_name, row.caption_text, row.left, row.top, row.width);
        this->*row.value = MakeValue(Panel1, row.value_name, row.caption_text, row.value_top, row.value_text);
    }

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(136, 184, 81, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TNu_AboutBox::Button1Click);
}

void TNu_AboutBox::Button1Click() { accept(); }

}  // namespace nuthumb
