#include "settings/ini_list.h"

#include "settings/settings_file.h"

namespace nuthumb {
namespace {

std::string NumberedKey(std::string_view prefix, std::size_t n) {
    return std::string(prefix) + std::to_string(n);
}

}  // namespace

void ReadListFromIni(const std::string& path, std::string_view section,
                     std::string_view prefix, std::vector<std::string>& list) {
    list.clear();
    // One snapshot for the whole list: the items belong together, and re-reading
    // the file for each of a thousand keys would only cost time.
    const SettingsFile file(path);
    for (std::size_t n = 1;; ++n) {
        std::string value = file.Read(keys::TextKey{section, NumberedKey(prefix, n)});
        if (value.empty()) break;
        list.push_back(std::move(value));
    }
}

std::vector<std::string> WriteListToIni(const std::string& path, std::string_view section,
                                        std::string_view prefix, const std::vector<std::string>& list) {
    std::vector<SettingsEntry> entries;
    std::vector<std::string> refused;
    entries.reserve(list.size() + 1);
    for (std::size_t i = 0; i < list.size(); ++i) {
        // An item the file cannot hold is left out; the items after it move up
        // rather than end the list at a gap.
        if (SettingsFile::CanStore(list[i])) entries.emplace_back(NumberedKey(prefix, entries.size() + 1), list[i]);
        else refused.push_back(NumberedKey(prefix, i + 1));
    }
    entries.emplace_back(NumberedKey(prefix, entries.size() + 1), std::string());
    try {
        SettingsFile(path).WriteStrings(section, entries);
    } catch (const SettingsWriteError&) {
        // The list is stored at exit, when nobody is left to tell; the file keeps
        // the previous list whole.
    }
    return refused;
}

}  // namespace nuthumb
