#pragma once
// Where the program keeps its own files, the settings file and the error-list file.
#include <string>
#include <string_view>

#include "platform/version.h"

namespace nuthumb {

// True for a program installed into the system: its file lies under /usr, /bin,
// /sbin or /opt, or in `install_bin_folder` (where this build installs its
// programs). Symbolic links in those folders' names are followed.
bool IsInstalledProgram(std::string_view executable_path,
                        std::string_view install_bin_folder = kInstallBinFolder);

// The folder of `executable_path` for a build tree or a copied, portable program
// folder that can be written. An installed program (IsInstalledProgram), whoever
// runs it, root included, and a program in a folder that cannot be written use the
// user's configuration folder instead: $XDG_CONFIG_HOME/nuthumb, or
// ~/.config/nuthumb when the variable is unset or not absolute. That folder is
// created (mode 0700) when it is chosen and missing; if it cannot be, the path is
// returned all the same and the write that needs it reports the reason. The
// environment is read at every call.
std::string ProgramFolderFor(std::string_view executable_path,
                             std::string_view install_bin_folder = kInstallBinFolder);

// ProgramFolderFor(ExecutablePath()).
std::string ProgramFolder();

}  // namespace nuthumb
