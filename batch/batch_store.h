#pragma once
// The batch list in the settings file: Script1, Script2, ... in list order.
#include <string>
#include <vector>

namespace nuthumb {

// The stored entries, up to the first empty value (none for a missing file).
std::vector<std::string> LoadBatchList(const std::string& ini_path);

// Stores the entries for the next start. Empty entries are left out: an empty
// value ends a stored list, so one would lose every entry after it. A failed
// write is swallowed (it happens at exit) and the file keeps its old list whole.
// Returns the keys of entries that could not be stored (numbered among the
// non-empty entries); the others are stored without them.
std::vector<std::string> SaveBatchList(const std::string& ini_path, const std::vector<std::string>& entries);

}  // namespace nuthumb
