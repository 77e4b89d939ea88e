#include "run/list_files.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/path_util.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpperText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

// Regular file, following a link; d_type spares the stat for the common case.
bool IsListableFile(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// A folder itself, never a link to one: a tree walk must not follow links.
bool IsRealFolder(DIR* dir, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> SortedNames(std::vector<std::pair<std::string, std::string>>& keyed) {
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed) names.push_back(std::move(name));
    return names;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Greedy match with one backtrack point: the last '*' seen.
    std::size_t p = 0, n = 0;
    std::size_t star = std::string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_n = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

namespace {

std::unique_ptr<DIR, DirCloser> OpenFolderOrThrow(const std::string& folder) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) ThrowErrno(kCannotReadFolder, folder, errno);
    return dir;
}

}  // namespace

FolderEntries ReadFolderEntries(DIR* dir, const std::string& folder, const NameFilter& filter, bool with_subfolders,
                                RunHost& host) {
    // (sort key, name): the upper-cased key is made once per name, not per comparison.
    std::vector<std::pair<std::string, std::string>> files, subfolders;
    FolderEntries entries;
    for (;;) {
        errno = 0;  // readdir tells its end from its failure only by errno
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0) ThrowErrno(kCannotReadFolder, folder, errno);
            break;
        }
        const std::string_view name(entry->d_name);
        if (with_subfolders && name.front() != '.' && IsRealFolder(dir, *entry)) {
            subfolders.emplace_back(AsciiUpperText(name), std::string(name));
            continue;
        }
        const NameKind kind = filter(name);
        if (kind == NameKind::kIgnored) continue;
        host.ProcessPendingMessages();
        if (!IsListableFile(dir, *entry)) continue;
        if (kind == NameKind::kListed) files.emplace_back(AsciiUpperText(name), std::string(name));
        else if (kind == NameKind::kOtherFormat) ++entries.passed_over.other_format;
        else ++entries.passed_over.unread_format;
    }
    entries.files = SortedNames(files);
    entries.subfolders = SortedNames(subfolders);
    return entries;
}

FolderEntries ListFolder(const std::string& folder, const NameFilter& filter, RunHost& host) {
    // An empty folder text names the root, as the pattern "" + "/*.jpg" always has.
    const std::string path = folder.empty() ? std::string("/") : folder;
    // A folder that cannot be read is not an empty one: the caller must be able to
    // tell the user why nothing was converted.
    return ReadFolderEntries(OpenFolderOrThrow(path).get(), path, filter, false, host);
}

bool ListFiles(std::vector<std::string>& list, const std::string& pattern, bool with_extension,
               RunHost& host) {
    list.clear();
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : pattern.substr(0, slash);
    const std::string_view name_pattern =
        std::string_view(pattern).substr(slash == std::string::npos ? 0 : slash + 1);
    FolderEntries entries = ListFolder(
        folder,
        [name_pattern](std::string_view name) {
            return MatchesWildcard(name_pattern, name) ? NameKind::kListed : NameKind::kIgnored;
        },
        host);
    list.reserve(entries.files.size());
    for (std::string& name : entries.files)
        list.push_back(with_extension ? std::move(name) : ReplaceExtension(name, ""));
    return !list.empty();
}

NameKind RunNameKind(std::string_view name, SourceChoice chosen) {
    static constexpr std::string_view kUnreadExtensions[] = {".gif", ".tif", ".tiff"};
    const std::string extension = ExtensionOf(name);
    if (ListsExtension(chosen, extension)) return NameKind::kListed;
    if (IsReadableExtension(extension)) return NameKind::kOtherFormat;
    return std::find(std::begin(kUnreadExtensions), std::end(kUnreadExtensions), AsciiLower(extension)) ==
                   std::end(kUnreadExtensions)
               ? NameKind::kIgnored
               : NameKind::kUnreadFormat;
}

}  // namespace nuthumb
