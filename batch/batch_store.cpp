#include "batch/batch_store.h"

#include "settings/ini_list.h"
#include "settings/settings_table.h"

namespace nuthumb {

std::vector<std::string> LoadBatchList(const std::string& ini_path) {
    std::vector<std::string> entries;
    ReadListFromIni(ini_path, keys::kSystem, keys::kScriptPrefix, entries);
    return entries;
}

std::vector<std::string> SaveBatchList(const std::string& ini_path, const std::vector<std::string>& entries) {
    std::vector<std::string> kept;
    kept.reserve(entries.size());
    for (const std::string& entry : entries)
        if (!entry.empty()) kept.push_back(entry);
    return WriteListToIni(ini_path, keys::kSystem, keys::kScriptPrefix, kept);
}

}  // namespace nuthumb
