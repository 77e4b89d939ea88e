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

#include "ui/main_window.h"
#include "codecs/codec_table.h"
#include "ui/button_keys.h"
#include "ui/empty_click_filter.h"
#include "ui/first_line_only.h"
#include "ui/folder_drop.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"
#include "ui/window_messages.h"
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
                           int height, RadioGroup::Fill fill = RadioGroup::Fill::kColumnByColumn,
                           const QList<int>& ids = {}) {
    auto* group = Place(new RadioGroup(caption, items, columns, parent, fill, ids), name, x, y, width, height);
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

// The format items: the codec table's captions (the plain names of the
// formats) in item order, each with its stored number; targets are the formats
// written, sources every format and then all of them at once.
struct FormatItems {
    QStringList captions;
    QList<int> ids;
};
FormatItems FormatItemsOf(bool written_only) {
    FormatItems items;
    for (const Codec& codec : Codecs()) {
        if (written_only && !codec.writable()) continue;
        items.captions << Tr(codec.caption);
        items.ids << ItemOf(codec.format);
    }
    if (!written_only) {
        items.captions << Tr(kEveryFormatCaption);
        items.ids << kEveryFormatItem;
    }
    return items;
}

}  // namespace

void MainWindow::BuildLayout() {
    setObjectName("MainWindow");
    setWindowTitle(Tr("サムネイル作成　- NuThumb -"));
    // A fixed frame: minimise and close, no maximise, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ApplyWindowFont(this);

    auto* client = new QWidget(this);
    client->setObjectName("clientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    BuildMenu();
    pages_ = Place(new QTabWidget(client), "pages", 3, 0, 417, 345);
    pages_->setAccessibleName(Tr("ページ"));
    single_tab_ = new QWidget;
    single_tab_->setObjectName("singleTab");
    batch_tab_ = new QWidget;
    batch_tab_->setObjectName("batchTab");
    pages_->addTab(single_tab_, Tr("個別"));
    pages_->addTab(batch_tab_, Tr("バッチ"));
    // Ctrl+Tab and the tab bar's keys pass over a hidden tab only when it is
    // disabled, which would disable its page as well: a hidden page that still
    // comes up is turned back instead.
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && !pages_->isTabVisible(index)) pages_->setCurrentWidget(single_tab_);
    });
    BuildIndividualTab();
    BuildBatchTab();
    BuildStatusArea();
    SetTabOrder();

    // The window is exactly the menu bar plus the client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void MainWindow::BuildMenu() {
    file_menu_ = Place(menuBar()->addMenu(Tr("ファイル(&F)")), "fileMenu");
    file_menu_->setSeparatorsCollapsible(false);
    Place(file_menu_->addSeparator(), "fileSeparator");
    quit_action_ = Place(file_menu_->addAction(Tr("終了(&X)")), "quitAction");

    settings_menu_ = Place(menuBar()->addMenu(Tr("設定(&E)")), "settingsMenu");
    batch_feature_action_ = Place(settings_menu_->addAction(Tr("バッチ機能有効(&B)")), "batchFeatureAction");
    batch_feature_action_->setCheckable(true);
    settings_action_ = Place(settings_menu_->addAction(Tr("menu item", "設定(&E)")), "settingsAction");

    help_menu_ = Place(menuBar()->addMenu(Tr("ヘルプ(&H)")), "helpMenu");
    help_action_ = Place(help_menu_->addAction(Tr("menu item", "ヘルプ(&H)")), "helpAction");
    about_action_ = Place(help_menu_->addAction(Tr("バージョン(&A)")), "aboutAction");
}

void MainWindow::BuildIndividualTab() {
    QWidget* tab = single_tab_;
    MakeLabel(tab, "sourceFolderLabel", Tr("読込み先フォルダ"), 8, 8, 91, 12);
    source_folder_edit_ = MakeEdit(tab, "sourceFolderEdit", Tr("読込み先フォルダ"), 8, 24, 377, 20);
    source_folder_button_ = MakeButton(tab, "sourceFolderButton", "...", 384, 24, 17, 20);
    // Beside the label of the source folder it widens: the format group below
    // takes the whole row.
    recursive_check_ = Place(new QCheckBox(Tr("サブフォルダも処理する"), tab), "recursiveCheck", 241, 5, 160, 17);
    // Two lines of five: bitmap and jpeg stay first on the top line.
    const FormatItems sources = FormatItemsOf(false);
    source_format_group_ = MakeRadioGroup(tab, "sourceFormatGroup", Tr("ファイル形式"), Tr("読込みファイル形式"),
                                           sources.captions, 5, 1, 8, 48, 393, 46, RadioGroup::Fill::kRowByRow,
                                           sources.ids);
    MakeBevel(tab, "sourceDivider", QFrame::HLine, 8, 96, 393, 2);

    MakeLabel(tab, "targetFolderLabel", Tr("保存先フォルダ"), 8, 104, 79, 12);
    target_folder_edit_ = MakeEdit(tab, "targetFolderEdit", Tr("保存先フォルダ"), 8, 120, 377, 20);
    target_folder_button_ = MakeButton(tab, "targetFolderButton", "...", 384, 120, 17, 20);
    // Beside the label of the target folder, as the subfolder box beside the source's.
    update_check_ = Place(new QCheckBox(Tr("変更分だけ作成する"), tab), "updateCheck", 241, 101, 160, 17);
    update_check_->setToolTip(Tr("なかったり古くなったりしたサムネイルだけを作ります（保存先の記録 .nuthumb-sync で確かめます）"));
    MakeLabel(tab, "fileNameLabel", Tr("保存ファイル名"), 8, 152, 77, 12);
    prefix_edit_ = MakeEdit(tab, "prefixEdit", Tr("保存ファイル名（前）"), 8, 168, 65, 20);
    MakeLabel(tab, "nameBetweenLabel", Tr("＋ファイル名＋"), 80, 172, 77, 12);
    suffix_edit_ = MakeEdit(tab, "suffixEdit", Tr("保存ファイル名（後）"), 160, 168, 65, 20);
    MakeBevel(tab, "nameDivider", QFrame::VLine, 240, 160, 2, 33);
    const FormatItems targets = FormatItemsOf(true);
    target_format_group_ = MakeRadioGroup(tab, "targetFormatGroup", Tr("ファイル形式"), Tr("保存ファイル形式"),
                                           targets.captions, 2, 1, 256, 152, 145, 46, RadioGroup::Fill::kRowByRow,
                                           targets.ids);
    MakeBevel(tab, "targetDivider", QFrame::HLine, 8, 200, 393, 2);

    size_label_ = MakeLabel(tab, "sizeLabel", Tr("サイズ指定"), 8, 208, 58, 12);
    size_edit_ = MakeEdit(tab, "sizeEdit", Tr("サイズ指定"), 8, 224, 65, 20);
    size_spin_ = Place(new UpDown(keys::kSizeMin, keys::kSizeMax, tab), "sizeSpin", 73, 224, 15, 20);
    size_spin_->setAccessibleName(Tr("サイズ指定"));
    size_spin_->Associate(size_edit_);
    size_spin_->SetPosition(30);
    size_unit_label_ = MakeLabel(tab, "sizeUnitLabel", Tr("（pixel）"), 90, 232, 36, 12);
    basis_group_ = MakeRadioGroup(tab, "basisGroup", Tr("基準"), Tr("基準"), {Tr("縦"), Tr("横"), Tr("大きい方")}, 3, 0,
                                      144, 212, 257, 33);
    convert_only_check_ = Place(new QCheckBox(Tr("サイズ変更しない（単純なBitmap <-> Jpegのフォーマットの変換）"), tab),
                            "convertOnlyCheck", 8, 256, 393, 17);
    MakeBevel(tab, "sizeDivider", QFrame::HLine, 8, 280, 393, 2);

    start_button_ = MakeButton(tab, "startButton", Tr("作成"), 8, 288, 73, 25);
    stop_button_ = MakeButton(tab, "stopButton", Tr("中止"), 88, 288, 73, 25);
    register_batch_button_ = MakeButton(tab, "registerBatchButton", Tr("バッチ登録"), 168, 288, 73, 25);

    AcceptFolderDrops(source_folder_edit_);
    AcceptFolderDrops(target_folder_edit_);

    GiveKeys(source_folder_button_, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    GiveKeys(target_folder_button_, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    GiveKeys(register_batch_button_, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    GiveRunKeys(start_button_, stop_button_);
}

// The 作成 and 中止 buttons of both tabs share their keys: only the buttons of
// the page on show can take them.
void MainWindow::GiveRunKeys(QToolButton* start, QToolButton* cancel) {
    GiveKeys(start, {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    GiveKeys(cancel, {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period)});
}

void MainWindow::BuildBatchTab() {
    QWidget* tab = batch_tab_;
    MakeLabel(tab, "batchListLabel", Tr("バッチリスト"), 8, 8, 60, 12);
    batch_list_box_ = Place(new QListWidget(tab), "batchListBox", 8, 24, 393, 193);
    batch_list_box_->setAccessibleName(Tr("バッチリスト"));
    batch_list_box_->setSelectionMode(QAbstractItemView::SingleSelection);
    batch_list_box_->setSortingEnabled(false);
    batch_list_box_->setUniformItemSizes(true);
    batch_list_box_->setItemDelegate(new TightRowDelegate(batch_list_box_));
    batch_entry_edit_ = MakeEdit(tab, "batchEntryEdit", Tr("バッチ登録データ"), 8, 224, 393, 20);

    add_entry_button_ = MakeButton(tab, "addEntryButton", Tr("追加"), 8, 256, 73, 25);
    update_entry_button_ = MakeButton(tab, "updateEntryButton", Tr("更新"), 88, 256, 73, 25);
    delete_entry_button_ = MakeButton(tab, "deleteEntryButton", Tr("削除"), 168, 256, 73, 25);
    clear_list_button_ = MakeButton(tab, "clearListButton", Tr("全クリア"), 248, 256, 73, 25);
    move_up_button_ = MakeButton(tab, "moveUpButton", "▲", 344, 256, 25, 25);
    move_up_button_->setAccessibleDescription(Tr("選択したエントリを上へ移動"));
    move_down_button_ = MakeButton(tab, "moveDownButton", "▼", 376, 256, 25, 25);
    move_down_button_->setAccessibleDescription(Tr("選択したエントリを下へ移動"));
    batch_start_button_ = MakeButton(tab, "batchStartButton", Tr("作成"), 248, 288, 73, 25);
    batch_stop_button_ = MakeButton(tab, "batchStopButton", Tr("中止"), 328, 288, 73, 25);

    KeepSelectionOnEmptyClicks(batch_list_box_);
    GiveKeys(add_entry_button_, {QKeySequence(Qt::CTRL | Qt::Key_N)});
    GiveKeys(update_entry_button_, {QKeySequence(Qt::CTRL | Qt::Key_R)});
    GiveKeys(delete_entry_button_, {QKeySequence(Qt::CTRL | Qt::Key_D)});
    GiveKeys(clear_list_button_, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)});
    GiveKeys(move_up_button_, {QKeySequence(Qt::ALT | Qt::Key_Up)});
    GiveKeys(move_down_button_, {QKeySequence(Qt::ALT | Qt::Key_Down)});
    GiveRunKeys(batch_start_button_, batch_stop_button_);
}

void MainWindow::BuildStatusArea() {
    QWidget* client = centralWidget();
    progress_bar_ = Place(new QProgressBar(client), "progressBar", 0, 352, 423, 17);
    progress_bar_->setAccessibleName(Tr("進捗"));
    progress_bar_->setRange(0, 100);
    progress_bar_->setValue(0);
    progress_bar_->setTextVisible(false);
    status_panel_ = Place(new QFrame(client), "statusPanel", 0, 373, 423, 22);
    status_panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status_label_ = Place(new QLabel(status_panel_), "statusLabel", 1, 1, 421, 20);
    status_label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Screen readers speak a label's text as its name; the caption describes it.
    status_label_->setAccessibleDescription(Tr("状態"));
}

void MainWindow::SetTabOrder() {
    // Focus moves through the edits, the radio groups and the check boxes in the
    // order the form was designed in, left to right on a row; the buttons take no
    // focus.
    std::vector<QWidget*> order{source_folder_edit_, recursive_check_};
    const auto add_group = [&order](RadioGroup* group) {
        for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) order.push_back(child);
    };
    add_group(source_format_group_);
    order.insert(order.end(), {target_folder_edit_, update_check_, prefix_edit_, suffix_edit_});
    add_group(target_format_group_);
    order.push_back(size_edit_);
    add_group(basis_group_);
    order.push_back(convert_only_check_);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    setTabOrder(batch_list_box_, batch_entry_edit_);
}

}  // namespace nuthumb
