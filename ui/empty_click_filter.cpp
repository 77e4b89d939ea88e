#include "ui/empty_click_filter.h"

#include <QAbstractItemView>
#include <QMouseEvent>

namespace nuthumb {
namespace {

class EmptyClickFilter : public QObject {
public:
    explicit EmptyClickFilter(QAbstractItemView* view) : QObject(view), view_(view) {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
        // The view would clear its selection for a press on no entry.
        return !view_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid();
    }

private:
    QAbstractItemView* view_;
};

}  // namespace

void KeepSelectionOnEmptyClicks(QAbstractItemView* view) { new EmptyClickFilter(view); }

}  // namespace nuthumb
