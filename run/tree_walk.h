#pragma once
// One walk over a folder tree: every folder read once, in an order that does not
// depend on the file system, never into a folder twice.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "run/list_files.h"
#include "run/run_host.h"

namespace nuthumb {

// A folder below the top one that could not be read; the walk went on without it.
struct UnreadableFolder {
    std::string path;  // top folder joined with the relative path
    IoError error;     // kCannotReadFolder, naming `path`, with the system's reason
};

// Reads `top` and each folder below it, depth first: a folder's files (the names
// that `matches` lists or counts, regular files only, in ListFiles' order), then
// each of its subfolders in that order. Passed over: hidden folders ('.' first), links to
// folders, the folder `skip` (by device and inode: the destination inside the
// tree) and a folder already read (one mounted inside itself). `on_folder` gets
// each folder's path relative to `top` ("" for the top, "2024/05" below) and what
// it holds. Throws IoError when `top` itself cannot be read; a folder below it that
// cannot be read goes into `unreadable` and the walk goes on.
void WalkTree(const std::string& top, const std::optional<FileIdentity>& skip,
              const NameFilter& matches, RunHost& host,
              const std::function<void(const std::string& relative, FolderEntries& entries)>& on_folder,
              std::vector<UnreadableFolder>& unreadable);

}  // namespace nuthumb
