#pragma once
// The error-list file NuThumb.Err: the ErrorList exported for the user.
#include <optional>
#include <string>
#include <vector>

namespace nuthumb {

// "NuThumb.Err" in the program's folder for its own files, the settings file's
// folder (platform/program_folder.h). Throws IoError when the program's own path
// cannot be found.
std::string ErrorListFilePath();

// The file's bytes: every line followed by CR LF (the last one too), in CP932;
// when CP932 cannot give the text back exactly (a character it lacks or maps one
// way, such as 〜), the whole text in UTF-8 behind a byte-order mark, so that every
// path names the file it named.
std::string ComposeErrorListFile(const std::vector<std::string>& lines);

// Creates or replaces the file through a temporary file and a rename (links
// followed); a terminal, a FIFO or /dev/null is written directly. Returns the
// reason (naming the path) when it cannot be written, in which case an existing
// file is unchanged; std::nullopt on success.
std::optional<std::string> WriteErrorListFile(const std::string& path,
                                              const std::vector<std::string>& lines);

}  // namespace nuthumb
