#pragma once
// Event handlers run through here: an error that escapes one is shown and the
// window loop goes on, instead of the exception unwinding through Qt's frames.
#include <QString>
#include <exception>
#include <utility>

#include "ui/message_box.h"

namespace nuthumb {

template <class Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& e) {
        ShowProgramErrorBox(parent, QString::fromStdString(e.what()));
    }
}

}  // namespace nuthumb
