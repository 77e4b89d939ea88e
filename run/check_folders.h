#pragma once
// Validation of a folder pair before a folder run.
#include <cstdint>
#include <string>

#include "run/run_host.h"

namespace nuthumb {

// True when the path names a directory (links followed); a file or nothing gives false.
bool FolderExists(const std::string& path);

// True when both texts are non-empty and both name existing folders. The texts are
// used as given (not trimmed). With `message_flag` exactly 1 the first failing case
// is explained in one error box; any other value keeps the check silent. Existence
// is tested only when both texts are set.
bool CheckFolders(RunHost& host, const std::string& src_text, const std::string& dst_text,
                  std::uint8_t message_flag);

}  // namespace nuthumb
