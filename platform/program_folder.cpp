#include "platform/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/executable_path.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string UserConfigFolder() {
    // A relative value is invalid for this variable and would depend on the
    // working directory, so it counts as unset.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return config;
    return JoinPath(HomeFolder(), ".config");
}

// mkdir -p; every folder made here is the user's alone.
void MakeFolders(const std::string& path) {
    if (path.empty() || ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return;
    if (errno != ENOENT) return;
    const std::string parent = DirectoryPart(path);
    if (parent == path || parent.empty()) return;
    MakeFolders(parent);
    ::mkdir(path.c_str(), 0700);
}

}  // namespace

std::string ProgramFolderFor(std::string_view executable_path) {
    const std::string beside = DirectoryPart(executable_path);
    if (::access(beside.empty() ? "." : beside.c_str(), W_OK) == 0) return beside.empty() ? std::string(".") : beside;
    std::string folder = JoinPath(UserConfigFolder(), "nuthumb");
    MakeFolders(folder);
    return folder;
}

std::string ProgramFolder() { return ProgramFolderFor(ExecutablePath()); }

}  // namespace nuthumb
