#pragma once
// A list of texts stored under numbered keys: prefix1 ... prefixN hold the items,
// prefixN+1 is empty and marks the end. Keys above N+1 are left alone and never
// read, so an item can be neither empty nor longer than the read limit.
#include <string>
#include <string_view>
#include <vector>

namespace nuthumb {

// Empties `list`, then appends prefix1, prefix2, ... up to the first empty value.
void ReadListFromIni(const std::string& path, std::string_view section,
                     std::string_view prefix, std::vector<std::string>& list);

// Stores the items and the empty end marker in one rewrite of the file, so no
// reader ever sees half a list. A failed write is swallowed: the file then keeps
// its previous list whole. An item that cannot be stored is left out and the
// rest renumbered; the keys it had in `list`'s numbering are returned.
std::vector<std::string> WriteListToIni(const std::string& path, std::string_view section,
                                        std::string_view prefix, const std::vector<std::string>& list);

}  // namespace nuthumb
