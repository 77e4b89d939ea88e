#include "run/drive_root.h"

namespace nuthumb {

std::string ApplyDriveRootRule(std::string_view folder) {
    const auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (folder.size() == 3 && is_letter(folder[0]) && folder[1] == ':' &&
        (folder[2] == '\\' || folder[2] == '/'))
        return std::string(folder.substr(0, 2));
    return std::string(folder);
}

}  // namespace nuthumb
