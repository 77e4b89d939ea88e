#pragma once
// Removing what a program made below a folder, and nothing else: the path is
// walked one folder at a time without following links, so a folder swapped for a
// link cannot lead a removal out of the tree, and a file is removed only while
// it is still the one its caller knows.
#include <functional>
#include <string>

#include "platform/file_identity.h"

namespace nuthumb {

enum class Removal {
    kRemoved,
    kGone,     // nothing there any more (the file, or a folder on the way)
    kChanged,  // something else is there: another file, a link, a folder
    kFailed,   // it could not be removed; the reason says why
};

// Removes the regular file at `relative` below `root` when `still_ours` says yes
// to what is there now (looked at without following a link).
Removal RemoveFileBelow(const std::string& root, const std::string& relative,
                        const std::function<bool(const FileIdentity&)>& still_ours, std::string& reason);

// Removes the folder at `relative` below `root` when it is empty (and a folder,
// not a link). True when it was removed.
bool RemoveEmptyFolderBelow(const std::string& root, const std::string& relative);

}  // namespace nuthumb
