// The batch tab's handlers: registering an entry from the individual tab,
// editing the list, and the batch run. The batch layer fills them in.
#include "ui/Unit1.h"

namespace nuthumb {

void TForm1::SpeedButtonBatClick() {}

void TForm1::ListBoxBatClick() {}

void TForm1::SpeedButtonAddClick() {}

void TForm1::SpeedButtonUpdateClick() {}

void TForm1::SpeedButtonDeleteClick() {}

void TForm1::SpeedButtonAllClearClick() {}

void TForm1::SpeedButtonUpClick() {}

void TForm1::SpeedButtonDownClick() {}

void TForm1::SpeedButtonBatExeClick() {}

}  // namespace nuthumb
