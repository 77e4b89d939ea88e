#pragma once
// A captioned group of radio buttons laid out in columns, addressed by item index
// like the settings file stores it: 0, 1, ... (or the numbers `ids` gives the
// items, in their order) or -1 for "nothing selected".
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace nuthumb {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // Column by column is the classic form's order; row by row keeps the first
    // items on the top line when a group grows a second one.
    enum class Fill { kColumnByColumn, kRowByRow };
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent,
               Fill fill = Fill::kColumnByColumn, const QList<int>& ids = {});

    int ItemIndex() const;
    // An index outside the items clears every button (only -1 is ever asked for).
    void SetItemIndex(int index);

protected:
    // The caption sits on the frame's top line, as on a classic form; a style
    // that puts it above the frame would leave too little room for the items in
    // the designed heights.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Tab and Shift+Tab into the group land on its checked button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceButtons();
    QRect ItemArea() const;

    QButtonGroup* buttons_;
    int columns_;
    Fill fill_;
};

}  // namespace nuthumb
