#pragma once
// The wildcard listing of a folder ("folder/*.jpg").
#include <dirent.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "image/conversion.h"
#include "run/run_host.h"
#include "run/source_choice.h"
#include "platform/translate.h"

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

// The images of a folder that a run passes over, counted while it is listed
// for the note after the run: files of another format we read (none when every
// format is chosen), and files of formats no run reads (GIF, TIFF).
struct PassedOverImages {
    std::size_t other_format = 0;
    std::size_t unread_format = 0;

    PassedOverImages& operator+=(const PassedOverImages& more) {
        other_format += more.other_format;
        unread_format += more.unread_format;
        return *this;
    }
};

// What a listing makes of a name it reads. Only regular files (links followed)
// are listed or counted.
enum class NameKind { kIgnored, kListed, kOtherFormat, kUnreadFormat };
using NameFilter = std::function<NameKind(std::string_view name)>;

// What a run of `chosen` makes of `name`, by its extension alone (any letter
// case): listed when the run reads it (ListsExtension: .jpg, .jpeg, .jpe and
// .jfif for a JPEG; every readable one for all), otherwise counted when it is an
// image the run passes over, otherwise ignored.
NameKind RunNameKind(std::string_view name, SourceChoice chosen);

inline constexpr char kCannotReadFolder[] = N_("フォルダ {} を読み込めません: {}");

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// What one folder holds for a listing, each part in the listing's order.
struct FolderEntries {
    std::vector<std::string> files;       // regular files (links followed) that the filter lists
    std::vector<std::string> subfolders;  // folders themselves, not links, not hidden ('.')
    PassedOverImages passed_over;         // regular files that the filter counts instead
};

// Reads the open folder `dir` (named `folder` in failures) once, each name
// through `filter`; the host's pending messages are handled once per name listed
// or counted. Subfolders are gathered only when `with_subfolders`. Throws IoError
// (kCannotReadFolder) when reading fails part way.
FolderEntries ReadFolderEntries(DIR* dir, const std::string& folder, const NameFilter& filter, bool with_subfolders,
                                RunHost& host);

// Opens `folder` (an empty text names the root) and reads it as above, without
// its subfolders. Throws IoError naming the folder and the system's reason when
// it cannot be opened or read.
FolderEntries ListFolder(const std::string& folder, const NameFilter& filter, RunHost& host);

// The pattern test on its own: true when `name` matches `pattern` as above.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace nuthumb
