#pragma once
#include <cstdint>

namespace nuthumb {

// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory();

// Gives the memory that freed allocations still hold back to the system. The C
// library keeps a separate heap per thread and keeps what a thread freed for
// that thread's next allocation, so huge decodes on several threads would each
// keep their own peak.
void ReturnFreedMemory();

}  // namespace nuthumb
