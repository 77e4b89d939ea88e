#pragma once
// The wildcard listing of a folder ("folder/*.jpg").
#include <string>
#include <vector>

#include "image/conversion.h"
#include "run/run_host.h"

namespace nuthumb {

// Clears `list` and fills it with the names (no folder) of the files in the
// pattern's folder whose names match its last component, where '*' stands for
// any run of bytes and '?' for one byte, ASCII letters matched without regard to
// case. Only regular files are listed (links followed): folders, and things that
// cannot be read like a file (pipes, sockets, devices, dangling links), never are.
// Names come in ascending order of their upper-cased bytes, so a run always
// handles a folder in the same order. `with_extension` false cuts each name's
// extension (from its last '.'). The host's pending messages are handled once per
// matching entry. Returns true when at least one name was listed. A folder that
// cannot be opened or read throws IoError (platform/file_io.h) naming the folder
// and the system's reason; `list` is then empty.
bool ListFiles(std::vector<std::string>& list, const std::string& pattern, bool with_extension,
               RunHost& host);

// The same listing, whole names, of the files in `folder` whose extension (from
// the last '.') names `format` (NamesFormat: .jpg, .jpeg, .jpe and .jfif for a
// JPEG) in any letter case.
bool ListFilesOfFormat(std::vector<std::string>& list, const std::string& folder, ImageFormat format,
                       RunHost& host);

// The images of `folder` that a run of `chosen` passes over, counted for the
// note after the run: files of the other format we read, and files of formats no
// run reads (PNG, WebP, HEIC, HEIF, AVIF, GIF, TIFF). A folder that cannot be read
// holds none.
struct PassedOverImages {
    std::size_t other_format = 0;
    std::size_t unread_format = 0;
};
PassedOverImages CountPassedOverImages(const std::string& folder, ImageFormat chosen, RunHost& host);

// The pattern test on its own: true when `name` matches `pattern` as above.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace nuthumb
