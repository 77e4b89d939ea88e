#include "platform/target_folders.h"

#include <algorithm>

#include "platform/path_util.h"

namespace nuthumb {

std::shared_ptr<const TargetFolder> TargetFolders::Known(const std::string& path) {
    const std::string folder = FolderOf(path);
    const auto known =
        std::find_if(recent_.begin(), recent_.end(), [&](const auto& open) { return open->path() == folder; });
    if (known == recent_.end()) return nullptr;
    std::rotate(recent_.begin(), known, known + 1);
    return recent_.front();
}

std::shared_ptr<const TargetFolder> TargetFolders::Open(const std::string& path) {
    recent_.push_front(std::make_shared<const TargetFolder>(FolderOf(path), path));
    if (recent_.size() > kKept) recent_.pop_back();
    return recent_.front();
}

}  // namespace nuthumb
