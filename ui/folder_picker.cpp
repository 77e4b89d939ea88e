#include "ui/folder_picker.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/message_box.h"
#include "ui/window_font.h"
#include "platform/translate.h"

namespace nuthumb {

FolderPicker::FolderPicker(QWidget* owner, const QString& initial_path, const QString& root)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      model_(new QFileSystemModel(this)),
      title_(new QLabel(Tr(kBrowseTitle), this)),
      tree_(new QTreeView(this)),
      status_(new QLabel(this)),
      buttons_(new QDialogButtonBox(this)),
      ok_(buttons_->addButton(kOkText, QDialogButtonBox::AcceptRole)) {
    setObjectName("FolderPicker");
    setWindowTitle(Tr("フォルダの参照"));
    ApplyWindowFont(this);
    resize(320, 400);

    // Folders only; the tree starts at the file system's root, like a desktop's
    // own folder dialog starts at the top of its namespace.
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    const QString top = root.isEmpty() ? QDir::rootPath() : root;
    model_->setRootPath(top);

    title_->setObjectName("titleLabel");
    tree_->setObjectName("folderTree");
    tree_->setAccessibleName(Tr(kBrowseTitle));
    tree_->setModel(model_);
    if (!root.isEmpty()) tree_->setRootIndex(model_->index(top));
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
    status_->setObjectName("pathLabel");
    // Screen readers speak a label's text as its name: the path, described by the caption.
    status_->setAccessibleDescription(Tr("選択したフォルダ"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ok_->setObjectName("okButton");
    ok_->setEnabled(false);
    buttons_->addButton(Tr(kCancelText), QDialogButtonBox::RejectRole)->setObjectName("cancelButton");
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderPicker::SelectionChanged);
    // Folders are listed and sorted in the background; keep the selection in view
    // as the rows above it arrive, until the user moves around in the tree.
    const auto keep_in_view = [this] {
        if (follow_selection_) tree_->scrollTo(tree_->currentIndex());
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, keep_in_view);
    connect(model_, &QFileSystemModel::layoutChanged, this, keep_in_view);
    tree_->viewport()->installEventFilter(this);
    tree_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(tree_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons_);

    if (!initial_path.isEmpty()) SelectPath(initial_path);
}

QString FolderPicker::SelectedPath() const {
    const QModelIndex current = tree_->currentIndex();
    return current.isValid() ? QDir::toNativeSeparators(model_->filePath(current)) : QString();
}

void FolderPicker::SelectPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) return;
    const QModelIndex index = model_->index(info.absoluteFilePath());
    if (!index.isValid()) return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) tree_->expand(parent);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
}

void FolderPicker::SelectionChanged() {
    const QString path = SelectedPath();
    status_->setText(path);
    ok_->setEnabled(!path.isEmpty());
}

bool FolderPicker::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::Wheel || type == QEvent::KeyPress)
        follow_selection_ = false;
    return QDialog::eventFilter(watched, event);
}

QString BrowseForFolder(QWidget* owner, int x, int y, const QString& initial_path) {
    FolderPicker dialog(owner, initial_path);
    dialog.move(x, y);
    return dialog.exec() == QDialog::Accepted ? dialog.SelectedPath() : QString();
}

}  // namespace nuthumb
