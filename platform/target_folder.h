#pragma once
// A folder that many files are written into, opened once: each file is looked
// up, staged and named relative to it, so a run pays for the folder's path and
// identity once instead of once per file.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace nuthumb {

// The file a name stands for: device and inode.
struct FileNode {
    std::uint64_t device = 0, inode = 0;
    auto operator<=>(const FileNode&) const = default;
};

// What a name in a folder is, links not followed: one look tells whether a
// target exists, whether it is a link, and a file's permissions.
struct NameLook {
    enum class Kind {
        kNothing,  // no such name
        kFile,     // a regular file
        kOther,    // a link, a folder, a device, or a name that could not be looked up
    };
    Kind kind = Kind::kNothing;
    mode_t mode = 0;  // a file's permission bits
};

// The process's file-creation mask, read once: it can only be read by setting
// it, and a file another thread creates in between would get the wrong mask.
mode_t ProcessUmask();

class TargetFolder {
public:
    // Opens the folder `path` (links followed). Throws IoError (kCannotWrite)
    // naming `shown_path` when it cannot be opened.
    TargetFolder(const std::string& path, const std::string& shown_path);

    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }

    // What `name` in this folder is now.
    NameLook Look(const std::string& name) const;

private:
    std::string path_;
    UniqueFd fd_;  // O_PATH
    std::uint64_t device_ = 0, inode_ = 0;
};

}  // namespace nuthumb
