#include "app/about_box.h"

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

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("AboutBox");
    setWindowTitle(Tr("バージョン情報"));
    ApplyWindowFont(this);
    setFixedSize(352, 213);
    KeepDialogPlacement(this);

    auto* panel = new QFrame(this);
    panel->setObjectName("panel");
    panel->setGeometry(8, 8, 337, 161);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);  // lowered outside, raised inside

    // The six rows: caption (name, text, left, top, width), value field (name, top, text).
    struct Row {
        const char* caption_name;
        const char* caption_text;
        int left, top, width;
        const char* value_name;
        int value_top;
        const char* value_text;
    };
    // The fields' texts start with a space. Appended rather than " " + text, which
    // GCC 12 at -O3 takes for an overlapping copy (-Wrestrict).
    std::string version = " ";
    version += kVersion;
    const Row rows[] = {
        {"productCaption", "Product Name", 13, 13, 72, "productField", 12, " NuThumb"},
        {"versionCaption", "Version", 46, 37, 39, "versionField", 36, version.c_str()},
        {"buildCaption", "Build", 56, 61, 26, "buildField", 60, " 2002.01.04"},
        {"copyrightCaption", "Copyright", 34, 85, 49, "copyrightField", 84, " Copyright (C) 2002 NuThumb"},
        {"mailCaption", "E-Mail", 48, 111, 34, "mailField", 108, " -"},
        {"homepageCaption", "Homepage", 30, 133, 53, "homepageField", 132, " -"},
    };
    for (const Row& row : rows) {
        MakeCaption(panel, row.caption_name, row.caption_text, row.left, row.top, row.width);
        MakeValue(panel, row.value_name, row.caption_text, row.value_top, row.value_text);
    }

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setGeometry(136, 184, 81, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace nuthumb
