// The batch tab: registering an entry from the individual tab, editing the list,
// the batch run, and the window as the batch run's controls. batch_list_ holds
// the entries and the selection; ListBoxBat only shows them.
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "ui/Unit1.h"

namespace nuthumb {

void TForm1::SpeedButtonBatCancelClick() { cancel_flag_ = true; }

void TForm1::SpeedButtonBatClick() {
    RegisterBatchEntry(batch_list_, FormSettingsOfControls());
    ShowBatchList();
}

void TForm1::ListBoxBatClick() {
    const QList<QListWidgetItem*> picked = ListBoxBat->selectedItems();
    // Ctrl+click takes the selection away; the edits that need one then do nothing.
    if (picked.isEmpty()) batch_list_.selected = -1;
    else if (const auto text = batch_list_.Click(ListBoxBat->row(picked.front())))
        EditBat->setText(QString::fromStdString(*text));
}

void TForm1::SpeedButtonAddClick() {
    batch_list_.Add(EditBat->text().toStdString());
    ShowBatchList();
}

void TForm1::SpeedButtonUpdateClick() {
    if (batch_list_.Update(EditBat->text().toStdString())) ShowBatchList();
}

void TForm1::SpeedButtonDeleteClick() {
    if (batch_list_.Delete()) ShowBatchList();
}

void TForm1::SpeedButtonAllClearClick() {
    batch_list_.Clear();
    ShowBatchList();
}

void TForm1::SpeedButtonUpClick() {
    if (batch_list_.MoveUp()) ShowBatchList();
}

void TForm1::SpeedButtonDownClick() {
    if (batch_list_.MoveDown()) ShowBatchList();
}

void TForm1::SpeedButtonBatExeClick() {
    // A close that came during the run ends the program once the run has unwound,
    // even when an unexpected error unwinds it.
    struct EndAfterRun {
        TForm1& form;
        ~EndAfterRun() { form.EndRunForClose(); }
    } end_after_run{*this};
    RunBatch(*this, *this, batch_list_.entries, ErrorListPath(), RunPhotoOptions());
}

void TForm1::SelectBatchEntry(std::size_t index) {
    if (index >= batch_list_.entries.size()) return;
    batch_list_.selected = static_cast<int>(index);
    ShowBatchSelection();
}

void TForm1::ShowBatchList() {
    const QSignalBlocker quiet(ListBoxBat);
    const std::vector<std::string>& entries = batch_list_.entries;
    const int rows = static_cast<int>(entries.size());
    if (ListBoxBat->count() > rows) ListBoxBat->model()->removeRows(rows, ListBoxBat->count() - rows);
    // Only the rows that differ are touched, so an edit of a long list stays quick.
    for (int row = 0; row < rows; ++row) {
        const QString text = QString::fromStdString(entries[static_cast<std::size_t>(row)]);
        if (row == ListBoxBat->count()) ListBoxBat->addItem(text);
        else if (ListBoxBat->item(row)->text() != text) ListBoxBat->item(row)->setText(text);
    }
    ShowBatchSelection();
}

void TForm1::ShowBatchSelection() {
    const QSignalBlocker quiet(ListBoxBat);
    ListBoxBat->setCurrentRow(batch_list_.HasSelection() ? batch_list_.selected : -1);
}

}  // namespace nuthumb
