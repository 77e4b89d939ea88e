#include "platform/physical_memory.h"

#include <malloc.h>
#include <unistd.h>

namespace nuthumb {

std::uint64_t PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

void ReturnFreedMemory() { ::malloc_trim(0); }

}  // namespace nuthumb
