#pragma once
// Where nuthumb-cli puts the --error-list.
#include <optional>
#include <string>
#include <vector>

namespace nuthumb {

// Writes the error list. "-", and any name of this process's standard output
// (/dev/stdout, or the very file stdout is redirected to), go to standard output
// behind what was printed there, so that the list and the report do not replace
// each other. There, and in a FIFO, a terminal or another device, the lines are
// UTF-8 ended by LF, as Linux tools read them (like the report beside them); a
// regular file gets the error-list file's format.
// Returns the reason when it cannot be written.
std::optional<std::string> WriteErrorListOutput(const std::string& path,
                                                const std::vector<std::string>& lines);

}  // namespace nuthumb
