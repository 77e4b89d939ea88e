#pragma once
// Single-line edits hold a single line: a pasted or dropped text with line
// breaks keeps its first line, followed by whatever stood after the cursor. A
// line break could never be stored in the settings file anyway.
class QLineEdit;

namespace nuthumb {

void KeepFirstLineOnly(QLineEdit* edit);

}  // namespace nuthumb
