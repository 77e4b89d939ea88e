#pragma once
// The error-list file NuThumb.Err: the ErrorList exported for the user.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuthumb {

// "NuThumb.Err" in the program's folder for its own files, the settings file's
// folder (platform/program_folder.h). Throws IoError when the program's own path
// cannot be found.
std::string ErrorListFilePath();

// A line that no encoding of the file could give back exactly: one holding a line
// break (it would read as two) or bytes that are no UTF-8 (a file name from a
// file system in another encoding), and one that would read as such a file URI.
bool NeedsFileUri(std::string_view line);
// `path` as a file URI: "file://", the absolute path (a relative one taken from
// the working directory), every byte but letters, digits, "-._~/" as %XX. Plain
// ASCII, so it fits a file of either encoding, and percent-decoding gives the
// path's exact bytes back.
std::string FileUri(std::string_view path);
// The line as every form of the list gives it (the file, and the list on a pipe or
// a terminal): its FileUri when it NeedsFileUri, otherwise the line itself.
std::string ErrorListLine(std::string_view line);

// The file's bytes: every line followed by CR LF (the last one too), in CP932;
// when CP932 cannot give the text back exactly (a character it lacks or maps one
// way, such as 〜), the whole text in UTF-8 behind a byte-order mark, so that every
// path names the file it named. A line that NeedsFileUri is written as its FileUri.
std::string ComposeErrorListFile(const std::vector<std::string>& lines);

// Creates or replaces the file through a temporary file and a rename (links
// followed); a terminal, a FIFO or /dev/null is written directly. Returns the
// reason (naming the path) when it cannot be written, in which case an existing
// file is unchanged; std::nullopt on success.
std::optional<std::string> WriteErrorListFile(const std::string& path,
                                              const std::vector<std::string>& lines);

}  // namespace nuthumb
