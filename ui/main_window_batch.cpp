// The batch tab: registering an entry from the individual tab, editing the list,
// the batch run, and the window as the batch run's controls. batch_list_ holds
// the entries and the selection; batch_list_box_ only shows them.
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/up_down.h"
#include "ui/window_messages.h"

namespace nuthumb {

void MainWindow::OnBatchStopClicked() { cancel_flag_ = true; }

void MainWindow::OnRegisterBatchClicked() {
    // The entry takes the spin position: the box shows it, as 作成 does.
    size_spin_->ShowPositionForTypedNumber();
    RegisterBatchEntry(batch_list_, FormSettingsOfControls());
    ShowBatchList();
}

void MainWindow::OnBatchListPicked() {
    const QList<QListWidgetItem*> picked = batch_list_box_->selectedItems();
    // Ctrl+click takes the selection away; the edits that need one then do nothing.
    if (picked.isEmpty()) batch_list_.selected = -1;
    else if (const auto text = batch_list_.Click(batch_list_box_->row(picked.front())))
        batch_entry_edit_->setText(QString::fromStdString(*text));
}

void MainWindow::OnAddEntryClicked() {
    batch_list_.Add(batch_entry_edit_->text().toStdString());
    ShowBatchList();
}

void MainWindow::OnUpdateEntryClicked() {
    if (batch_list_.Update(batch_entry_edit_->text().toStdString())) ShowBatchList();
}

void MainWindow::OnDeleteEntryClicked() {
    if (batch_list_.Delete()) ShowBatchList();
}

void MainWindow::OnClearListClicked() {
    batch_list_.Clear();
    ShowBatchList();
}

void MainWindow::OnMoveUpClicked() {
    if (batch_list_.MoveUp()) ShowBatchList();
}

void MainWindow::OnMoveDownClicked() {
    if (batch_list_.MoveDown()) ShowBatchList();
}

void MainWindow::OnBatchStartClicked() {
    // Also while the entries are checked and listed, the list cannot be edited
    // under them. A close that came during the run ends the program once the run
    // has unwound, even when an unexpected error unwinds it.
    const RunScope run(*this, RunState::kBatchRun);
    if (!run || !MayReplaceOriginalsInBatch()) return;
    RunBatch(engine_host_, batch_view_, batch_list_.entries, ErrorListPath(), RunPhotoOptions());
}

bool MainWindow::MayReplaceOriginalsInBatch() {
    const std::vector<std::size_t> replacing = EntriesReplacingTheirSources(batch_list_.entries, engine_host_);
    if (close_requested_) return false;  // closed during the listing: nothing runs, nothing is asked
    if (replacing.empty()) return true;
    return AskOkCancelBox(this, BoxText(OriginalsReplacedQuestion(batch_list_.entries, replacing)),
                          DefaultAnswer::kCancel);
}

void MainWindow::BatchView::SelectBatchEntry(std::size_t index) {
    if (index >= window_.batch_list_.entries.size()) return;
    window_.batch_list_.selected = static_cast<int>(index);
    window_.ShowBatchSelection();
}

void MainWindow::ShowBatchList() {
    const QSignalBlocker quiet(batch_list_box_);
    const std::vector<std::string>& entries = batch_list_.entries;
    const int rows = static_cast<int>(entries.size());
    if (batch_list_box_->count() > rows) batch_list_box_->model()->removeRows(rows, batch_list_box_->count() - rows);
    // Only the rows that differ are touched, so an edit of a long list stays quick.
    for (int row = 0; row < rows; ++row) {
        const QString text = QString::fromStdString(entries[static_cast<std::size_t>(row)]);
        if (row == batch_list_box_->count()) batch_list_box_->addItem(text);
        else if (batch_list_box_->item(row)->text() != text) batch_list_box_->item(row)->setText(text);
    }
    ShowBatchSelection();
}

void MainWindow::ShowBatchSelection() {
    const QSignalBlocker quiet(batch_list_box_);
    batch_list_box_->setCurrentRow(batch_list_.HasSelection() ? batch_list_.selected : -1);
}

}  // namespace nuthumb
