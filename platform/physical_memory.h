#pragma once
#include <cstdint>

namespace nuthumb {

// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory();

}  // namespace nuthumb
