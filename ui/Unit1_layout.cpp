// The main window's controls: names, places, captions and initial values.
// Positions are logical pixels; Qt scales them on a high-DPI screen.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "ui/Unit1.h"
#include "ui/button_keys.h"
#include "ui/empty_click_filter.h"
#include "ui/first_line_only.h"
#include "ui/folder_drop.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"
#include "ui/window_font.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

constexpr int kClientWidth = 423;
constexpr int kClientHeight = 395;

// Menus and menu items have a name and no place.
template <class Object>
Object* Place(Object* object, const char* name) {
    object->setObjectName(name);
    return object;
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, int x, int y, int width, int height) {
    widget->setGeometry(x, y, width, height);
    return Place(widget, name);
}

// A label grows to its text when the substituted font is wider than the
// designed width, so no caption is ever cut off.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int width, int height) {
    auto* label = Place(new QLabel(text, parent), name, x, y, width, height);
    const QSize needed = label->sizeHint();
    label->resize(std::max(width, needed.width()), std::max(height, needed.height()));
    return label;
}

// Edits are named after the label that introduces them, for screen readers.
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& spoken, int x, int y, int width,
                    int height) {
    auto* edit = Place(new QLineEdit(parent), name, x, y, width, height);
    edit->setAccessibleName(spoken);
    KeepFirstLineOnly(edit);
    return edit;
}

// Tool buttons never take the keyboard focus, so the tab order stays that of the
// edits; their keys (GiveKeys) reach them instead. Like a label, a button grows to
// a caption longer than its designed width (English ones are), to the right,
// where each row of buttons has room.
QToolButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int width,
                        int height) {
    auto* button = Place(new QToolButton(parent), name, x, y, width, height);
    button->setText(caption);
    button->resize(std::max(width, button->sizeHint().width()), height);
    button->setAccessibleName(caption);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QFrame* MakeBevel(QWidget* parent, const char* name, QFrame::Shape shape, int x, int y, int width, int height) {
    auto* bevel = Place(new QFrame(parent), name, x, y, width, height);
    bevel->setFrameStyle(shape | QFrame::Sunken);
    return bevel;
}

RadioGroup* MakeRadioGroup(QWidget* parent, const char* name, const QString& caption, const QString& spoken,
                           const QStringList& items, int columns, int selected, int x, int y, int width,
                           int height) {
    auto* group = Place(new RadioGroup(caption, items, columns, parent), name, x, y, width, height);
    group->setAccessibleName(spoken);
    group->SetItemIndex(selected);
    return group;
}

// The batch list packs its entries in 12-pixel rows, or as tight as the font
// allows: a substituted font may need a pixel more for "_" and descenders.
class TightRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), std::max(12, option.fontMetrics.height())};
    }
};

const QStringList kFormatItems = {"bitmap", "jpeg"};

}  // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    setWindowTitle(Tr("サムネイル作成　- NuThumb -"));
    // A fixed frame: minimise and close, no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ApplyWindowFont(this);

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    BuildMenu();
    PageControl1 = Place(new QTabWidget(client), "PageControl1", 3, 0, 417, 345);
    PageControl1->setAccessibleName(Tr("ページ"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, Tr("個別"));
    PageControl1->addTab(TabSheet2, Tr("バッチ"));
    // Ctrl+Tab and the tab bar's keys pass over a hidden tab only when it is
    // disabled, which would disable its page as well: a hidden page that still
    // comes up is turned back instead.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && !PageControl1->isTabVisible(index)) PageControl1->setCurrentWidget(TabSheet1);
    });
    BuildIndividualTab();
    BuildBatchTab();
    BuildStatusArea();
    SetTabOrder();

    // The window is exactly the menu bar plus the client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void TForm1::BuildMenu() {
    File1 = Place(menuBar()->addMenu(Tr("ファイル(&F)")), "File1");
    File1->setSeparatorsCollapsible(false);
    N1 = Place(File1->addSeparator(), "N1");
    Exit1 = Place(File1->addAction(Tr("終了(&X)")), "Exit1");

    N3 = Place(menuBar()->addMenu(Tr("設定(&E)")), "N3");
    N5 = Place(N3->addAction(Tr("バッチ機能有効(&B)")), "N5");
    N5->setCheckable(true);
    N4 = Place(N3->addAction(Tr("設定(&E)")), "N4");

    Help1 = Place(menuBar()->addMenu(Tr("ヘルプ(&H)")), "Help1");
    Help2 = Place(Help1->addAction(Tr("ヘルプ(&H)")), "Help2");
    N2 = Place(Help1->addAction(Tr("バージョン(&A)")), "N2");
}

void TForm1::BuildIndividualTab() {
    QWidget* tab = TabSheet1;
    Label1 = MakeLabel(tab, "Label1", Tr("読込み先フォルダ"), 8, 8, 91, 12);
    EditSrcDir = MakeEdit(tab, "EditSrcDir", Tr("読込み先フォルダ"), 8, 24, 377, 20);
    SpeedButtonSrcDirSelect = MakeButton(tab, "SpeedButtonSrcDirSelect", "...", 384, 24, 17, 20);
    RadioGroupReadFileExt = MakeRadioGroup(tab, "RadioGroupReadFileExt", Tr("ファイル形式"), Tr("読込みファイル形式"),
                                           kFormatItems, 2, 1, 256, 56, 145, 33);
    Bevel2 = MakeBevel(tab, "Bevel2", QFrame::HLine, 8, 96, 393, 2);

    Label2 = MakeLabel(tab, "Label2", Tr("保存先フォルダ"), 8, 104, 79, 12);
    EditDstDir = MakeEdit(tab, "EditDstDir", Tr("保存先フォルダ"), 8, 120, 377, 20);
    SpeedButtonDstDirSelect = MakeButton(tab, "SpeedButtonDstDirSelect", "...", 384, 120, 17, 20);
    Label3 = MakeLabel(tab, "Label3", Tr("保存ファイル名"), 8, 152, 77, 12);
    EditHead = MakeEdit(tab, "EditHead", Tr("保存ファイル名（前）"), 8, 168, 65, 20);
    Label4 = MakeLabel(tab, "Label4", Tr("＋ファイル名＋"), 80, 172, 77, 12);
    EditEnd = MakeEdit(tab, "EditEnd", Tr("保存ファイル名（後）"), 160, 168, 65, 20);
    Bevel4 = MakeBevel(tab, "Bevel4", QFrame::VLine, 240, 160, 2, 33);
    RadioGroupSaveFileExt = MakeRadioGroup(tab, "RadioGroupSaveFileExt", Tr("ファイル形式"), Tr("保存ファイル形式"),
                                           kFormatItems, 2, 1, 256, 159, 145, 33);
    Bevel3 = MakeBevel(tab, "Bevel3", QFrame::HLine, 8, 200, 393, 2);

    Label6 = MakeLabel(tab, "Label6", Tr("サイズ指定"), 8, 208, 58, 12);
    EditSize = MakeEdit(tab, "EditSize", Tr("サイズ指定"), 8, 224, 65, 20);
    UpDownSize = Place(new UpDown(keys::kSizeMin, keys::kSizeMax, tab), "UpDownSize", 73, 224, 15, 20);
    UpDownSize->setAccessibleName(Tr("サイズ指定"));
    UpDownSize->Associate(EditSize);
    UpDownSize->SetPosition(30);
    Label7 = MakeLabel(tab, "Label7", Tr("（pixel）"), 90, 232, 36, 12);
    RadioGroupOption = MakeRadioGroup(tab, "RadioGroupOption", Tr("基準"), Tr("基準"), {Tr("縦"), Tr("横"), Tr("大きい方")}, 3, 0,
                                      144, 212, 257, 33);
    CheckBoxNOThumb = Place(new QCheckBox(Tr("サイズ変更しない（単純なBitmap <-> Jpegのフォーマットの変換）"), tab),
                            "CheckBoxNOThumb", 8, 256, 393, 17);
    Bevel1 = MakeBevel(tab, "Bevel1", QFrame::HLine, 8, 280, 393, 2);

    SpeedButtonThumb = MakeButton(tab, "SpeedButtonThumb", Tr("作成"), 8, 288, 73, 25);
    SpeedButtonCancel = MakeButton(tab, "SpeedButtonCancel", Tr("中止"), 88, 288, 73, 25);
    SpeedButtonBat = MakeButton(tab, "SpeedButtonBat", Tr("バッチ登録"), 168, 288, 73, 25);

    AcceptFolderDrops(EditSrcDir);
    AcceptFolderDrops(EditDstDir);

    GiveKeys(SpeedButtonSrcDirSelect, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    GiveKeys(SpeedButtonDstDirSelect, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    GiveKeys(SpeedButtonBat, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    GiveRunKeys(SpeedButtonThumb, SpeedButtonCancel);
}

// The 作成 and 中止 buttons of both tabs share their keys: only the buttons of
// the page on show can take them.
void TForm1::GiveRunKeys(QToolButton* start, QToolButton* cancel) {
    GiveKeys(start, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    GiveKeys(cancel, {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period)});
}

void TForm1::BuildBatchTab() {
    QWidget* tab = TabSheet2;
    Label5 = MakeLabel(tab, "Label5", Tr("バッチリスト"), 8, 8, 60, 12);
    ListBoxBat = Place(new QListWidget(tab), "ListBoxBat", 8, 24, 393, 193);
    ListBoxBat->setAccessibleName(Tr("バッチリスト"));
    ListBoxBat->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxBat->setSortingEnabled(false);
    ListBoxBat->setUniformItemSizes(true);
    ListBoxBat->setItemDelegate(new TightRowDelegate(ListBoxBat));
    EditBat = MakeEdit(tab, "EditBat", Tr("バッチ登録データ"), 8, 224, 393, 20);

    SpeedButtonAdd = MakeButton(tab, "SpeedButtonAdd", Tr("追加"), 8, 256, 73, 25);
    SpeedButtonUpdate = MakeButton(tab, "SpeedButtonUpdate", Tr("更新"), 88, 256, 73, 25);
    SpeedButtonDelete = MakeButton(tab, "SpeedButtonDelete", Tr("削除"), 168, 256, 73, 25);
    SpeedButtonAllClear = MakeButton(tab, "SpeedButtonAllClear", Tr("全クリア"), 248, 256, 73, 25);
    SpeedButtonUp = MakeButton(tab, "SpeedButtonUp", "▲", 344, 256, 25, 25);
    SpeedButtonUp->setAccessibleDescription(Tr("選択したエントリを上へ移動"));
    SpeedButtonDown = MakeButton(tab, "SpeedButtonDown", "▼", 376, 256, 25, 25);
    SpeedButtonDown->setAccessibleDescription(Tr("選択したエントリを下へ移動"));
    SpeedButtonBatExe = MakeButton(tab, "SpeedButtonBatExe", Tr("作成"), 248, 288, 73, 25);
    SpeedButtonBatCancel = MakeButton(tab, "SpeedButtonBatCancel", Tr("中止"), 328, 288, 73, 25);

    KeepSelectionOnEmptyClicks(ListBoxBat);
    GiveKeys(SpeedButtonAdd, {QKeySequence(Qt::CTRL | Qt::Key_N)});
    GiveKeys(SpeedButtonUpdate, {QKeySequence(Qt::CTRL | Qt::Key_R)});
    GiveKeys(SpeedButtonDelete, {QKeySequence(Qt::CTRL | Qt::Key_D)});
    GiveKeys(SpeedButtonAllClear, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)});
    GiveKeys(SpeedButtonUp, {QKeySequence(Qt::ALT | Qt::Key_Up)});
    GiveKeys(SpeedButtonDown, {QKeySequence(Qt::ALT | Qt::Key_Down)});
    GiveRunKeys(SpeedButtonBatExe, SpeedButtonBatCancel);
}

void TForm1::BuildStatusArea() {
    QWidget* client = centralWidget();
    ProgressBar1 = Place(new QProgressBar(client), "ProgressBar1", 0, 352, 423, 17);
    ProgressBar1->setAccessibleName(Tr("進捗"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Panel1 = Place(new QFrame(client), "Panel1", 0, 373, 423, 22);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelMes = Place(new QLabel(Panel1), "LabelMes", 1, 1, 421, 20);
    LabelMes->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Screen readers speak a label's text as its name; the caption describes it.
    LabelMes->setAccessibleDescription(Tr("状態"));
}

void TForm1::SetTabOrder() {
    // Focus moves through the edits, the radio groups and the check box in the
    // order the form was designed in; the buttons take no focus.
    std::vector<QWidget*> order{EditSrcDir};
    const auto add_group = [&order](RadioGroup* group) {
        for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) order.push_back(child);
    };
    add_group(RadioGroupReadFileExt);
    order.insert(order.end(), {EditDstDir, EditHead, EditEnd});
    add_group(RadioGroupSaveFileExt);
    order.push_back(EditSize);
    add_group(RadioGroupOption);
    order.push_back(CheckBoxNOThumb);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    setTabOrder(ListBoxBat, EditBat);
}

}  // namespace nuthumb
