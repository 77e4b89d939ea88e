#pragma once
// Many files looked up folder by folder: the files of a run come in folders, so
// each folder is opened once for all of its files rather than its whole path
// being walked again for each file.
#include <optional>
#include <string>

#include "platform/file_identity.h"
#include "platform/unique_fd.h"

namespace nuthumb {

class IdentityLookup {
public:
    // What IdentityOf(path) gives (links followed), as of now.
    std::optional<FileIdentity> operator()(const std::string& path);

private:
    std::string folder_;
    bool looked_up_ = false;
    UniqueFd fd_;  // the folder, or none when it cannot be opened
};

}  // namespace nuthumb
