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

namespace nuthumb {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpperText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Regular file, following a link; d_type spares the stat for the common case.
bool IsListableFile(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
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

// The listing itself: every regular file of `folder` whose name `matches`.
template <class Matches>
bool ListMatching(std::vector<std::string>& list, const std::string& folder, Matches matches, bool with_extension,
                  RunHost& host) {
    list.clear();
    // A folder that cannot be read is not an empty one: the caller must be able to
    // tell the user why nothing was converted.
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) ThrowErrno(N_("フォルダ {} を読み込めません: {}"), folder, errno);

    // (sort key, name): the upper-cased key is made once per name, not per comparison.
    std::vector<std::pair<std::string, std::string>> found;
    for (;;) {
        errno = 0;  // readdir tells its end from its failure only by errno
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0) ThrowErrno(N_("フォルダ {} を読み込めません: {}"), folder, errno);
            break;
        }
        const std::string_view name(entry->d_name);
        if (!matches(name)) continue;
        host.ProcessPendingMessages();
        if (!IsListableFile(dir.get(), *entry)) continue;
        found.emplace_back(AsciiUpperText(name), std::string(name));
    }
    dir.reset();

    std::sort(found.begin(), found.end());
    list.reserve(found.size());
    for (auto& [key, name] : found)
        list.push_back(with_extension ? std::move(name) : ReplaceExtension(name, ""));
    return !list.empty();
}

}  // namespace

bool ListFiles(std::vector<std::string>& list, const std::string& pattern, bool with_extension,
               RunHost& host) {
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : pattern.substr(0, slash);
    const std::string_view name_pattern =
        std::string_view(pattern).substr(slash == std::string::npos ? 0 : slash + 1);
    return ListMatching(
        list, folder, [name_pattern](std::string_view name) { return MatchesWildcard(name_pattern, name); },
        with_extension, host);
}

bool ListFilesOfFormat(std::vector<std::string>& list, const std::string& folder, ImageFormat format,
                       RunHost& host) {
    // An empty folder text names the root, as the pattern "" + "/*.jpg" always has.
    return ListMatching(
        list, folder.empty() ? std::string("/") : folder,
        [format](std::string_view name) { return NamesFormat(ExtensionOf(name), format); }, true, host);
}

PassedOverImages CountPassedOverImages(const std::string& folder, ImageFormat chosen, RunHost& host) {
    static constexpr std::string_view kUnreadExtensions[] = {".png", ".webp", ".heic", ".heif", ".hif",
                                                              ".avif", ".gif", ".tif", ".tiff"};
    const ImageFormat other = chosen == ImageFormat::kBmp ? ImageFormat::kJpeg : ImageFormat::kBmp;
    const auto unread = [](const std::string& extension) {
        return std::find(std::begin(kUnreadExtensions), std::end(kUnreadExtensions), AsciiLower(extension)) !=
               std::end(kUnreadExtensions);
    };
    PassedOverImages counts;
    std::vector<std::string> names;
    try {
        ListMatching(
            names, folder.empty() ? std::string("/") : folder,
            [&](std::string_view name) {
                const std::string extension = ExtensionOf(name);
                return NamesFormat(extension, other) || unread(extension);
            },
            true, host);
    } catch (const IoError&) {
        return counts;  // the run has said why the folder cannot be read
    }
    for (const std::string& name : names)
        ++(NamesFormat(ExtensionOf(name), other) ? counts.other_format : counts.unread_format);
    return counts;
}

}  // namespace nuthumb
