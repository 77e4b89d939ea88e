#pragma once
// Where the program keeps its own files, the settings file and the error-list file.
#include <string>
#include <string_view>

namespace nuthumb {

// The folder of `executable_path` while that folder can be written, so a copied
// program folder (or the build folder) keeps its files beside the program.
// Otherwise, as for a program installed into a system folder, the user's
// configuration folder: $XDG_CONFIG_HOME/nuthumb, or ~/.config/nuthumb when the
// variable is unset or not absolute. That folder is created (mode 0700) when it is
// chosen and missing; if it cannot be, the path is returned all the same and the
// write that needs it reports the reason. The environment is read at every call.
std::string ProgramFolderFor(std::string_view executable_path);

// ProgramFolderFor(ExecutablePath()).
std::string ProgramFolder();

}  // namespace nuthumb
