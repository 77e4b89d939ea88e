#pragma once
// Folder edits that take a folder dragged from a file manager.
class QLineEdit;

namespace nuthumb {

// A dropped folder replaces the edit's whole text with its path; a dropped file
// gives its folder. Other drops (plain text) behave as in any edit. A disabled
// edit, as during a run, takes no drops at all.
void AcceptFolderDrops(QLineEdit* edit);

}  // namespace nuthumb
