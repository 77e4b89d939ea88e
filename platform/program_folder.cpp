#include "platform/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/executable_path.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;

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

// "/usr/bin/" and "/usr/./bin" name the same folder as "/usr/bin".
fs::path Normal(const fs::path& path) {
    const fs::path normal = path.lexically_normal();
    return normal.has_filename() ? normal : normal.parent_path();
}

// `folder` (normal, absolute) is `root` or lies inside it, by `root`'s name or by
// the name its symbolic links lead to. The program's own path needs no such care:
// the system gives it resolved.
bool LiesIn(const fs::path& folder, const fs::path& root) {
    const auto inside = [&folder](const fs::path& top) {
        const fs::path rest = folder.lexically_relative(top);
        return !rest.empty() && *rest.begin() != "..";
    };
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(root, ec);
    return inside(Normal(root)) || (!ec && inside(Normal(resolved)));
}

}  // namespace

bool IsInstalledProgram(std::string_view executable_path, std::string_view install_bin_folder) {
    const fs::path folder = Normal(fs::path(executable_path).parent_path());
    if (!folder.is_absolute()) return false;
    for (const char* system : {"/usr", "/bin", "/sbin", "/opt"})
        if (LiesIn(folder, system)) return true;
    return fs::path(install_bin_folder).is_absolute() && LiesIn(folder, install_bin_folder);
}

std::string ProgramFolderFor(std::string_view executable_path, std::string_view install_bin_folder) {
    const std::string beside = DirectoryPart(executable_path);
    // An installed program's folder belongs to the package manager, and root can
    // write it: its files would outlive the package and be shared by every user.
    if (!IsInstalledProgram(executable_path, install_bin_folder) &&
        ::access(beside.empty() ? "." : beside.c_str(), W_OK) == 0)
        return beside.empty() ? std::string(".") : beside;
    std::string folder = JoinPath(UserConfigFolder(), "nuthumb");
    MakeFolders(folder);
    return folder;
}

std::string ProgramFolder() { return ProgramFolderFor(ExecutablePath()); }

}  // namespace nuthumb
