#pragma once
// Where the settings file lives and the title the program shows in its boxes.
#include <string>
#include <string_view>

namespace nuthumb {

// The executable's path with its file name's extension replaced by ".ini"
// (appended when the name has none; a '.' in a folder name does not count).
std::string SettingsPathFor(std::string_view executable_path);

// The file SettingsPathFor(ExecutablePath()) names, in the program's folder for its
// own files (platform/program_folder.h: beside a build tree's or a portable copy's
// program, else the user's configuration folder); derived anew at every call.
std::string SettingsFilePath();

// The executable's file name up to its first '.', every letter after the first in
// lower case: "/opt/NuThumb.exe" gives "Nuthumb".
std::string ProgramTitle(std::string_view executable_path);

}  // namespace nuthumb
