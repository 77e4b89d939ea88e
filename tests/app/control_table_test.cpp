// Every control of every window, one row each: its caption in Japanese and in
// English, its place and size as built, its place in the Tab chain and the name a
// screen reader speaks. A changed character or a moved control fails its row; a
// control without a row fails too.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <optional>

#include "app/program_windows.h"
#include "platform/translate.h"
#include "tests/settings/settings_test_util.h"
#include "tests/support/language.h"
#include "tests/support/temp_dir.h"
#include "ui/folder_picker.h"

namespace nuthumb::test {
namespace {

struct Control {
    const char* name;
    const char* japanese;  // a group's title and items, a tab widget's tabs, a window's title
    QRect place;           // in the parent's coordinates; empty for menus and their items
    int tab;               // place in the Tab chain, -1 when Tab passes it by
    const char* spoken;    // the accessible name, then " / " and the description if any
    const char* english;
};

QString Caption(const QObject* object) {
    if (const auto* menu = qobject_cast<const QMenu*>(object)) return menu->title();
    if (const auto* window = qobject_cast<const QWidget*>(object); window && window->isWindow())
        return window->windowTitle();
    if (const auto* action = qobject_cast<const QAction*>(object)) return action->text();
    if (const auto* label = qobject_cast<const QLabel*>(object)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(object)) return button->text();
    if (const auto* tabs = qobject_cast<const QTabWidget*>(object)) {
        QStringList texts;
        for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
        return texts.join("|");
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(object)) {
        QStringList items;
        for (const auto* item : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) items << item->text();
        return items.isEmpty() ? group->title() : group->title() + ": " + items.join("|");
    }
    return {};
}

QString Spoken(QObject* object) {
    const bool spoken = qobject_cast<QWidget*>(object) && !qobject_cast<QMenu*>(object);
    QAccessibleInterface* a = spoken ? QAccessible::queryAccessibleInterface(object) : nullptr;
    if (!a) return {};
    const QString description = a->text(QAccessible::Description);
    return a->text(QAccessible::Name) + (description.isEmpty() ? "" : " / " + description);
}

// Qt's own parts of a control (a tab bar's scroll buttons) are not ours to pin.
bool OwnControl(const QObject* object) {
    const QString name = object->objectName();
    if (name.isEmpty() || name.startsWith("qt_")) return false;
    for (const QObject* up = object->parent(); up; up = up->parent())
        if (qobject_cast<const QTabBar*>(up)) return false;
    return true;
}

// The named controls in the order Tab reaches them; a radio button stands for its group.
QStringList TabChain(QWidget* window) {
    QStringList chain;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !window->isAncestorOf(w)) continue;
        QWidget* control = qobject_cast<QRadioButton*>(w) ? w->parentWidget() : w;
        if (OwnControl(control) && !chain.contains(control->objectName())) chain << control->objectName();
    }
    return chain;
}

// The window and every control of it that has a name of its own.
std::vector<QObject*> NamedControls(QWidget* window) {
    std::vector<QObject*> controls{window};
    for (QObject* child : window->findChildren<QObject*>()) {
        const bool control = qobject_cast<QWidget*>(child) || qobject_cast<QAction*>(child);
        if (control && OwnControl(child)) controls.push_back(child);
    }
    return controls;
}

// A window's place is its size alone (where it opens is tested elsewhere); a tab
// page is placed by its tab widget.
QRect Place(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget || qobject_cast<const QMenu*>(widget) || qobject_cast<const QStackedWidget*>(widget->parent()))
        return {};
    return widget->isWindow() ? QRect(QPoint(0, 0), widget->size()) : widget->geometry();
}

// Code for a row as the window is built, to paste when a control is added.
std::string RowOf(QObject* object, const QStringList& chain) {
    const QRect place = Place(object);
    return QString("{\"%1\", \"%2\", {%3, %4, %5, %6}, %7, \"%8\", ...}")
        .arg(object->objectName(), Caption(object))
        .arg(place.x())
        .arg(place.y())
        .arg(place.width())
        .arg(place.height())
        .arg(chain.indexOf(object->objectName()))
        .arg(Spoken(object))
        .toStdString();
}

void CheckTable(QWidget* window, const std::vector<Control>& table, bool english) {
    const QStringList chain = TabChain(window);
    std::map<QString, QObject*> built;
    for (QObject* control : NamedControls(window)) built[control->objectName()] = control;
    for (const Control& row : table) {
        QObject* object = built.count(row.name) ? built[row.name] : nullptr;
        if (!object) {
            ADD_FAILURE() << row.name << ": no such control";
            continue;
        }
        built.erase(row.name);
        const std::string got = RowOf(object, chain);
        if (english) {
            EXPECT_EQ(Caption(object).toStdString(), row.english) << row.name;
            continue;
        }
        EXPECT_EQ(Caption(object).toStdString(), row.japanese) << got;
        EXPECT_EQ(Place(object), row.place) << got;
        EXPECT_EQ(chain.indexOf(row.name), row.tab) << got;
        EXPECT_EQ(Spoken(object).toStdString(), row.spoken) << got;
    }
    for (const auto& [name, object] : built) ADD_FAILURE() << "no row for " << RowOf(object, chain);
}

const std::vector<Control> kMainWindow = {
    {"MainWindow", "サムネイル作成　- NuThumb -", {0, 0, 423, 413}, -1, "サムネイル作成　- NuThumb -", "Thumbnail Maker — NuThumb"},
    {"aboutAction", "バージョン(&A)", {0, 0, 0, 0}, -1, "", "&About NuThumb"},
    {"addEntryButton", "追加", {8, 256, 73, 25}, -1, "追加 / Ctrl+N", "Add"},
    {"basisGroup", "基準: 縦|横|大きい方", {144, 212, 257, 33}, 10, "基準", "Size Applies To: Height|Width|Long side"},
    {"batchEntryEdit", "", {8, 224, 393, 20}, 13, "バッチ登録データ", ""},
    {"batchFeatureAction", "バッチ機能有効(&B)", {0, 0, 0, 0}, -1, "", "&Batch Mode"},
    {"batchListBox", "", {8, 24, 393, 193}, 12, "バッチリスト", ""},
    {"batchListLabel", "バッチリスト", {8, 8, 60, 13}, -1, "バッチリスト", "Batch list"},
    {"batchStartButton", "作成", {248, 288, 73, 25}, -1, "作成 / Ctrl+Return, Ctrl+Enter", "Start"},
    {"batchStopButton", "中止", {328, 288, 73, 25}, -1, "中止 / Esc, Ctrl+.", "Stop"},
    {"batchTab", "", {0, 0, 0, 0}, -1, "", ""},
    {"clearListButton", "全クリア", {248, 256, 73, 25}, -1, "全クリア / Ctrl+Shift+D", "Clear All"},
    {"clientArea", "", {0, 18, 423, 395}, -1, "", ""},
    {"convertOnlyCheck", "サイズ変更しない（単純なBitmap <-> Jpegのフォーマットの変換）", {8, 256, 393, 17}, 11,
     "サイズ変更しない（単純なBitmap <-> Jpegのフォーマットの変換）", "Do not resize, only convert the format"},
    {"deleteEntryButton", "削除", {168, 256, 73, 25}, -1, "削除 / Ctrl+D", "Delete"},
    {"fileMenu", "ファイル(&F)", {0, 0, 0, 0}, -1, "", "&File"},
    {"fileNameLabel", "保存ファイル名", {8, 152, 77, 13}, -1, "保存ファイル名", "Thumbnail name"},
    {"fileSeparator", "", {0, 0, 0, 0}, -1, "", ""},
    {"helpAction", "ヘルプ(&H)", {0, 0, 0, 0}, -1, "", "NuThumb &Help"},
    {"helpMenu", "ヘルプ(&H)", {0, 0, 0, 0}, -1, "", "&Help"},
    {"moveDownButton", "▼", {376, 256, 26, 25}, -1, "▼ / 選択したエントリを下へ移動", "▼"},
    {"moveUpButton", "▲", {344, 256, 26, 25}, -1, "▲ / 選択したエントリを上へ移動", "▲"},
    {"nameBetweenLabel", "＋ファイル名＋", {80, 172, 77, 13}, -1, "＋ファイル名＋", "+ file name +"},
    {"nameDivider", "", {240, 160, 2, 33}, -1, "", ""},
    {"pages", "個別|バッチ", {3, 0, 417, 345}, 0, "ページ", "One Folder|Batch"},
    {"prefixEdit", "", {8, 168, 65, 20}, 6, "保存ファイル名（前）", ""},
    {"progressBar", "", {0, 352, 423, 17}, -1, "進捗", ""},
    {"quitAction", "終了(&X)", {0, 0, 0, 0}, -1, "", "&Quit"},
    {"recursiveCheck", "サブフォルダも処理する", {241, 5, 160, 17}, 2, "サブフォルダも処理する", "Include subfolders"},
    {"registerBatchButton", "バッチ登録", {168, 288, 73, 25}, -1, "バッチ登録 / Ctrl+B", "Add to Batch"},
    {"settingsAction", "設定(&E)", {0, 0, 0, 0}, -1, "", "&Configure NuThumb…"},
    {"settingsMenu", "設定(&E)", {0, 0, 0, 0}, -1, "", "&Settings"},
    {"singleTab", "", {0, 0, 0, 0}, -1, "", ""},
    {"sizeDivider", "", {8, 280, 393, 2}, -1, "", ""},
    {"sizeEdit", "", {8, 224, 65, 20}, 9, "サイズ指定", ""},
    {"sizeLabel", "サイズ指定", {8, 208, 58, 13}, -1, "サイズ指定", "Size"},
    {"sizeSpin", "", {73, 224, 15, 20}, -1, "サイズ指定", ""},
    {"sizeUnitLabel", "（pixel）", {90, 232, 40, 13}, -1, "（pixel）", "(pixels)"},
    {"sourceDivider", "", {8, 96, 393, 2}, -1, "", ""},
    {"sourceFolderButton", "...", {384, 24, 24, 20}, -1, "... / Ctrl+O", "..."},
    {"sourceFolderEdit", "", {8, 24, 377, 20}, 1, "読込み先フォルダ", ""},
    {"sourceFolderLabel", "読込み先フォルダ", {8, 8, 91, 13}, -1, "読込み先フォルダ", "Source folder"},
    {"sourceFormatGroup", "ファイル形式: bitmap|jpeg|png|webp|heic|avif|jxl|raw|すべて", {8, 48, 393, 46}, 3,
     "読込みファイル形式", "File Format: BMP|JPEG|PNG|WebP|HEIC|AVIF|JPEG XL|RAW|All"},
    {"startButton", "作成", {8, 288, 73, 25}, -1, "作成 / Ctrl+Return, Ctrl+Enter", "Start"},
    {"statusLabel", "", {1, 1, 421, 20}, -1, " / 状態", ""},
    {"statusPanel", "", {0, 373, 423, 22}, -1, "", ""},
    {"stopButton", "中止", {88, 288, 73, 25}, -1, "中止 / Esc, Ctrl+.", "Stop"},
    {"suffixEdit", "", {160, 168, 65, 20}, 7, "保存ファイル名（後）", ""},
    {"targetDivider", "", {8, 200, 393, 2}, -1, "", ""},
    {"targetFolderButton", "...", {384, 120, 24, 20}, -1, "... / Ctrl+Shift+O", "..."},
    {"targetFolderEdit", "", {8, 120, 377, 20}, 4, "保存先フォルダ", ""},
    {"targetFolderLabel", "保存先フォルダ", {8, 104, 79, 13}, -1, "保存先フォルダ", "Destination folder"},
    {"updateCheck", "変更分だけ作成する", {241, 101, 160, 17}, 5,
     "変更分だけ作成する / なかったり古くなったりしたサムネイルだけを作ります（保存先の記録 .nuthumb-sync で確かめます）",
     "Only what changed"},
    {"targetFormatGroup", "ファイル形式: bitmap|jpeg|png|webp", {256, 152, 145, 46}, 8, "保存ファイル形式",
     "File Format: BMP|JPEG|PNG|WebP"},
    {"updateEntryButton", "更新", {88, 256, 73, 25}, -1, "更新 / Ctrl+R", "Update"},
};
const std::vector<Control> kSettingsDialog = {
    {"SettingsDialog", "設定", {0, 0, 280, 338}, -1, "設定", "Settings"},
    {"autoOrientCheck", "EXIFの向き情報に従って回転する", {8, 18, 249, 17}, 2,
     "EXIFの向き情報に従って回転する", "Rotate upright as EXIF orientation says"},
    {"filterGroup", "縮小方法: 最近傍（従来）|面積平均", {8, 66, 249, 33}, 4, "縮小方法", "Scaling Method: Nearest (classic)|Area average"},
    {"keepDatesCheck", "元画像の更新日時を引き継ぐ", {8, 106, 249, 17}, 5, "元画像の更新日時を引き継ぐ",
     "Keep the source's modification date"},
    {"overwriteGroup", "同一ファイル名が見つかった場合の動作: 上書きしない|上書きする|確認メッセージを表示", {8, 48, 265, 89}, 1,
     "同一ファイル名が見つかった場合の動作", "When a Thumbnail Already Exists: Keep the existing file|Replace it|Ask each time"},
    {"photoGroup", "写真", {8, 146, 265, 184}, -1, "写真", "Photos"},
    {"photoPresetButton", "写真向けにまとめて設定(&P)", {8, 154, 249, 23}, 7,
     "写真向けにまとめて設定 / 読込みファイル形式「すべて」、基準「大きい方」、EXIFの向きで回転、面積平均、"
     "更新日時の引き継ぎ、sRGBへの変換をまとめて設定します（コマンドラインの --photos と同じ）。",
     "Set Everything for &Photos"},
    {"qualityLabel", "JPEG画質（1～100）", {8, 42, 120, 17}, -1, "JPEG画質（1～100）", "JPEG quality (1-100)"},
    {"qualitySpin", "", {136, 40, 64, 21}, 3, "JPEG画質（1～100）", ""},
    {"reportErrorsCheck", "サムネイル作成エラー時にメッセージを表示", {8, 16, 257, 17}, 0,
     "サムネイル作成エラー時にメッセージを表示", "Show a message when a thumbnail fails"},
    {"toSrgbCheck", "ICCプロファイルをsRGBに変換する", {8, 130, 249, 17}, 6, "ICCプロファイルをsRGBに変換する",
     "Convert ICC profiles to sRGB"},
};
const std::vector<Control> kAboutBox = {
    {"AboutBox", "バージョン情報", {0, 0, 352, 213}, -1, "バージョン情報", "About NuThumb"},
    {"buildCaption", "Build", {52, 61, 30, 12}, -1, "Build", "Build"},
    {"buildField", " 2002.01.04", {90, 60, 231, 17}, -1, " 2002.01.04 / Build", " 2002.01.04"},
    {"copyrightCaption", "Copyright", {27, 85, 56, 12}, -1, "Copyright", "Copyright"},
    {"copyrightField", " Copyright (C) 2002 NuThumb", {90, 84, 231, 17}, -1,
     " Copyright (C) 2002 NuThumb / Copyright", " Copyright (C) 2002 NuThumb"},
    {"homepageCaption", "Homepage", {21, 133, 62, 12}, -1, "Homepage", "Homepage"},
    {"homepageField", " -", {90, 132, 231, 17}, -1, " - / Homepage", " -"},
    {"mailCaption", "E-Mail", {46, 111, 36, 12}, -1, "E-Mail", "E-Mail"},
    {"mailField", " -", {90, 108, 231, 17}, -1, " - / E-Mail", " -"},
    {"okButton", "OK", {136, 184, 81, 25}, 0, "OK", "OK"},
    {"panel", "", {8, 8, 337, 161}, -1, "", ""},
    {"productCaption", "Product Name", {4, 13, 81, 12}, -1, "Product Name", "Product Name"},
    {"productField", " NuThumb", {90, 12, 231, 17}, -1, " NuThumb / Product Name", " NuThumb"},
    {"versionCaption", "Version", {42, 37, 43, 12}, -1, "Version", "Version"},
    {"versionField", " 0.3", {90, 36, 231, 17}, -1, " 0.3 / Version", " 0.3"},
};
const std::vector<Control> kFolderPicker = {
    {"FolderPicker", "フォルダの参照", {0, 0, 320, 400}, -1, "フォルダの参照", "Browse for Folder"},
    {"cancelButton", "キャンセル", {218, 0, 80, 21}, 2, "キャンセル", "Cancel"},
    {"folderTree", "", {11, 30, 298, 300}, 0, "フォルダを選択してください", ""},
    {"okButton", "OK", {132, 0, 80, 21}, 1, "OK", "OK"},
    {"pathLabel", "", {11, 336, 298, 26}, -1, " / 選択したフォルダ", ""},
    {"titleLabel", "フォルダを選択してください", {11, 11, 298, 13}, -1, "フォルダを選択してください", "Choose a folder"},
};

class ControlTableTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!LocaleInstalled(GetParam())) FAIL() << GetParam() << " is not generated: run scripts/setup.sh";
        UseLanguage(GetParam());
        InitTranslation(NUTHUMB_LOCALE_DIR);
        // Both tabs, and the batch button with them.
        PlantFile(dir_.path() + "/nuthumb.ini", "[SYSTEM]\r\nBatch=1\r\n");
        windows_.emplace(ProgramFiles{dir_.path() + "/nuthumb.ini", dir_.path() + "/NuThumb.Err"});
    }
    void TearDown() override {
        windows_.reset();
        UseLanguage("C.UTF-8");
        InitTranslation(NUTHUMB_LOCALE_DIR);
    }
    bool English() const { return IsEnglish(GetParam()); }

    TempDir dir_;
    std::optional<ProgramWindows> windows_;
};

TEST_P(ControlTableTest, MainWindow) {
    windows_->Main().show();
    CheckTable(&windows_->Main(), kMainWindow, English());
}

TEST_P(ControlTableTest, SettingsDialog) {
    windows_->Settings().show();  // its radio buttons are placed when it is first laid out
    CheckTable(&windows_->Settings(), kSettingsDialog, English());
}

TEST_P(ControlTableTest, AboutBox) {
    windows_->About().show();
    CheckTable(&windows_->About(), kAboutBox, English());
}

TEST_P(ControlTableTest, FolderPicker) {
    nuthumb::FolderPicker picker(nullptr, QString(), QString::fromStdString(dir_.path()));
    picker.show();
    CheckTable(&picker, kFolderPicker, English());
}

INSTANTIATE_TEST_SUITE_P(Languages, ControlTableTest, ::testing::Values("ja_JP.UTF-8", "en_US.UTF-8"),
                         [](const auto& info) { return std::string(info.param).substr(0, 2); });

}  // namespace
}  // namespace nuthumb::test
