#include "ui/program_files.h"

#include "run/error_list_file.h"
#include "settings/settings_path.h"

namespace nuthumb {

FilePlace::FilePlace(std::string fixed_path) : path_([path = std::move(fixed_path)] { return path; }) {}

FilePlace::FilePlace(std::function<std::string()> routine) : path_(std::move(routine)) {}

ProgramFiles DefaultProgramFiles() { return {FilePlace(&SettingsFilePath), FilePlace(&ErrorListFilePath)}; }

}  // namespace nuthumb
