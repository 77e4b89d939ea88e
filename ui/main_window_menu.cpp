// The main window's menu: ファイル, 設定 and ヘルプ.
#include <QAction>
#include <QDialog>

#include "ui/main_window.h"
#include "ui/settings_dialog.h"

namespace nuthumb {

// ファイル → 終了
void MainWindow::OnQuitTriggered() { close(); }

// 設定 → バッチ機能有効
void MainWindow::OnBatchFeatureToggled() {
    // The menu has already reversed the check mark when the item was chosen.
    ShowBatchFeature(batch_feature_action_->isChecked() ? 1 : 0);
}

// 設定 → 設定
void MainWindow::OnSettingsTriggered() {
    if (settings_dialog_) settings_dialog_->exec();
}

// ヘルプ → ヘルプ: there is no help file to open.
void MainWindow::OnHelpTriggered() {}

// ヘルプ → バージョン
void MainWindow::OnAboutTriggered() {
    if (about_box_) about_box_->exec();
}

}  // namespace nuthumb
