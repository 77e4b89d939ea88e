#pragma once
#include <string>

namespace nuthumb {

// Full path of the running program (/proc/self/exe). Throws IoError when the
// system cannot tell.
std::string ExecutablePath();

}  // namespace nuthumb
