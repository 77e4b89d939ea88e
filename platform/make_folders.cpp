#include "platform/make_folders.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/io_failure.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void MakeFoldersBelow(const std::string& root, const std::string& folder) {
    if (folder.size() <= root.size() || IsFolder(folder)) return;
    MakeFoldersBelow(root, DirectoryPart(folder));
    // 0777: the umask takes off what the user keeps from others, as for mkdir(1).
    if (::mkdir(folder.c_str(), 0777) == 0) return;
    const int err = errno;
    if (err != EEXIST || !IsFolder(folder)) ThrowErrno(kCannotMakeFolder, folder, err);
}

}  // namespace nuthumb
