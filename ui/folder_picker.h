#pragma once
// The folder picker: a modal dialog with a tree of folders only, the title text
// above it and a status line that always shows the full path of the selected
// folder.
#include <QDialog>
#include <QString>

#include "platform/translate.h"

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace nuthumb {

inline constexpr char kBrowseTitle[] = N_("フォルダを選択してください");

class FolderPicker : public QDialog {
    Q_OBJECT
public:
    // Opens on `initial_path` when it names a folder; otherwise nothing is selected.
    // The tree shows the folders below `root` (the file system's root for users;
    // a sample folder for the README's pictures).
    FolderPicker(QWidget* owner, const QString& initial_path, const QString& root = QString());

    // The selected folder's path; empty when nothing is selected.
    QString SelectedPath() const;
    void SelectPath(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectionChanged();

    QFileSystemModel* model_;
    QLabel* title_;
    QTreeView* tree_;
    QLabel* status_;
    QDialogButtonBox* buttons_;
    QPushButton* ok_;
    bool follow_selection_ = true;
};

// Shows the picker modally over `owner` with its top-left corner at (x, y) in
// screen coordinates and returns the chosen folder, or an empty text when the
// user cancels.
QString BrowseForFolder(QWidget* owner, int x, int y, const QString& initial_path);

}  // namespace nuthumb
