#include "platform/physical_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <mutex>

namespace nuthumb {

std::uint64_t PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

void KeepFreedMemoryForReuse() {
    static std::once_flag once;
    std::call_once(once, [] {
        // By default both limits follow the largest block freed so far, and the
        // free end of a heap goes back at twice that: a file that needs a little
        // more than the one before grows the heap, the next one gives it back.
        ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kReusedAllocationLimit));
        ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kReusedAllocationLimit));
    });
}

void ReturnFreedMemory() { ::malloc_trim(0); }

}  // namespace nuthumb
