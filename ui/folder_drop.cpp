#include "ui/folder_drop.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace nuthumb {
namespace {

// The folder a drop names: the first local URL, or the folder of a file.
QString DroppedFolder(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        return QDir::cleanPath(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
    }
    return {};
}

class FolderDropFilter : public QObject {
public:
    explicit FolderDropFilter(QLineEdit* edit) : QObject(edit), edit_(edit) {
        edit->setAcceptDrops(true);
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_) return false;
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDropEvent*>(event);
                if (DroppedFolder(drag->mimeData()).isEmpty()) return false;
                drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const QString folder = DroppedFolder(drop->mimeData());
                if (folder.isEmpty()) return false;
                edit_->setText(QDir::toNativeSeparators(folder));
                drop->acceptProposedAction();
                return true;
            }
            default:
                return false;
        }
    }

private:
    QLineEdit* edit_;
};

}  // namespace

void AcceptFolderDrops(QLineEdit* edit) { new FolderDropFilter(edit); }

}  // namespace nuthumb
