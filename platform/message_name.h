#pragma once
// Names of files and folders as messages show them. A name can be as long as the
// user makes it (a prefix of a megabyte); a message that repeats it would swell
// to megabytes and bury what it says.
#include <cstddef>
#include <string>
#include <string_view>

namespace nuthumb {

inline constexpr std::size_t kMaxMessageNameBytes = 512;
inline constexpr std::string_view kNameCutMark = "…";

// `name` when it has at most kMaxMessageNameBytes bytes; otherwise its start and
// its end around kNameCutMark, kMaxMessageNameBytes bytes in all, cut between
// UTF-8 characters. Only for texts shown to the user: the ErrorList keeps full paths.
std::string NameForMessage(std::string_view name);

// `message` followed by NameForMessage(name), as in "…\r\nFilename : " + name.
std::string MessageWithName(std::string_view message, std::string_view name);

}  // namespace nuthumb
