#pragma once
// A click on the empty space of a list below its entries changes nothing: the
// selection, and the entry copied from it into an edit, stay together.
class QAbstractItemView;

namespace nuthumb {

void KeepSelectionOnEmptyClicks(QAbstractItemView* view);

}  // namespace nuthumb
