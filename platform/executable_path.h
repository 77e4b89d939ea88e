#pragma once
#include <string>

namespace nuthumb {

// Full path of the running program (/proc/self/exe), also after its file has been
// removed or replaced while it runs (a package upgrade, a rebuild): the program's
// own files are named after the path it was started from. Throws IoError when the
// system cannot tell.
std::string ExecutablePath();

// The path the program was started from, given the text of /proc/self/exe and
// whether that text still names the running file: the kernel marks the text of a
// removed file with " (deleted)", which is dropped then. A file really named so
// keeps its name.
std::string StartedProgramPath(std::string link_text, bool names_running_file);

}  // namespace nuthumb
