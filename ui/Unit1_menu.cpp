// The main window's menu: ファイル, 設定 and ヘルプ.
#include <QAction>
#include <QDialog>

#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace nuthumb {

// ファイル → 終了
void TForm1::Exit1Click() { close(); }

// 設定 → バッチ機能有効
void TForm1::N5Click() {
    // The menu has already reversed the check mark when the item was chosen.
    ShowBatchFeature(N5->isChecked() ? 1 : 0);
}

// 設定 → 設定
void TForm1::N4Click() {
    if (form_setting_) form_setting_->exec();
}

// ヘルプ → ヘルプ: there is no help file to open.
void TForm1::Help2Click() {}

// ヘルプ → バージョン
void TForm1::N2Click() {
    if (about_box_) about_box_->exec();
}

}  // namespace nuthumb
