#pragma once
#include <cstddef>

namespace nuthumb {

// How many more files this process may open now: its limit on open files
// (RLIMIT_NOFILE) less the descriptors open.
std::size_t FreeDescriptors();

}  // namespace nuthumb
