#pragma once
// The folders a run writes its targets into. A run reaches the files of one
// folder one after another, so keeping the last few folders open makes each
// folder made, looked up and opened once, however many files land in it, while
// a tree of thousands of folders holds only a few descriptors.
#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "platform/target_folder.h"

namespace nuthumb {

class TargetFolders {
public:
    // The folder that `path` lies in, when it is open already; else nullptr.
    std::shared_ptr<const TargetFolder> Known(const std::string& path);
    // Opens the folder that `path` lies in and keeps it. Throws IoError
    // (kCannotWrite) naming `path` when it cannot be opened.
    std::shared_ptr<const TargetFolder> Open(const std::string& path);

private:
    static constexpr std::size_t kKept = 8;
    std::deque<std::shared_ptr<const TargetFolder>> recent_;  // the latest first
};

}  // namespace nuthumb
