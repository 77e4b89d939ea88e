#include "settings/settings_path.h"

#include <algorithm>

#include "platform/executable_path.h"
#include "platform/path_util.h"
#include "platform/program_folder.h"

namespace nuthumb {

std::string SettingsPathFor(std::string_view executable_path) {
    return ReplaceExtension(executable_path, ".ini");
}

std::string SettingsFilePath() {
    return JoinPath(ProgramFolder(), FileNamePart(SettingsPathFor(ExecutablePath())));
}

std::string ProgramTitle(std::string_view executable_path) {
    std::string name = FileNamePart(executable_path);
    name.resize(std::min(name.size(), name.find('.')));
    if (name.empty()) return name;
    return name.substr(0, 1) + AsciiLower(std::string_view(name).substr(1));
}

}  // namespace nuthumb
