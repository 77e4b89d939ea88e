#include "ui/first_line_only.h"

#include <QLineEdit>
#include <QValidator>

namespace nuthumb {
namespace {

qsizetype FirstBreak(const QString& text, qsizetype from = 0) {
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] == u'\n' || text[i] == u'\r') return i;
    return -1;
}

// The edit asks its validator after every change and takes the text it gives
// back; nothing is ever refused, so the edit's signals stay as they were.
class FirstLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const qsizetype first = FirstBreak(input);
        if (first < 0) return Acceptable;
        // An insertion leaves the cursor after the inserted text: what follows the
        // cursor was there before and stays.
        QString rest = pos > first ? input.mid(pos) : QString();
        if (const qsizetype end = FirstBreak(rest); end >= 0) rest.truncate(end);
        input = input.left(first) + rest;
        pos = static_cast<int>(first);
        return Acceptable;
    }
};

}  // namespace

void KeepFirstLineOnly(QLineEdit* edit) { edit->setValidator(new FirstLineValidator(edit)); }

}  // namespace nuthumb
