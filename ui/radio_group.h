#pragma once
// A captioned group of radio buttons laid out in columns, addressed by item index
// like the settings file stores it: 0, 1, ... or -1 for "nothing selected".
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace nuthumb {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    int ItemIndex() const;
    // An index outside the items clears every button (only -1 is ever asked for).
    void SetItemIndex(int index);
    int ItemCount() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceButtons();

    QButtonGroup* buttons_;
    int columns_;
};

}  // namespace nuthumb
