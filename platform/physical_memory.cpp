#include "platform/physical_memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace nuthumb {

std::uint64_t PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
// The part of the heap asked for huge pages starts here; what lies below was
// in use before. Zero while the allocations do not come from the heap (a
// sanitizer's allocator, a thread given a heap of its own before the call).
std::atomic<std::uintptr_t> heap_floor{0};
std::atomic<std::uintptr_t> advised_end{0};

void AskHugePagesForHeap() {
    const std::uintptr_t floor = heap_floor.load();
    const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    if (floor == 0 || end <= floor || advised_end.exchange(end) == end) return;
    // Only a hint: without transparent huge pages the heap stays as it is.
    ::madvise(reinterpret_cast<void*>(floor), end - floor, MADV_HUGEPAGE);
}

}  // namespace

void KeepFreedMemoryForReuse() {
    static std::once_flag once;
    std::call_once(once, [] {
        // By default both limits follow the largest block freed so far, and the
        // free end of a heap goes back at twice that: a file that needs a little
        // more than the one before grows the heap, the next one gives it back.
        ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kReusedAllocationLimit));
        ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kReusedAllocationLimit));
        // One heap for every thread and nothing mapped apart: the one place
        // where huge pages can be asked for, so that a decode's first touch of
        // its buffers costs a fault per 2 MiB rather than per 4 KiB.
        ::mallopt(M_ARENA_MAX, 1);
        ::mallopt(M_MMAP_MAX, 0);
        // The free end the heap keeps when it grows or is trimmed; asked for
        // huge pages before a decode touches it.
        ::mallopt(M_TOP_PAD, static_cast<int>(2 * kReusedAllocationLimit));
        void* grown = std::malloc(kReusedAllocationLimit);
        const auto floor = (reinterpret_cast<std::uintptr_t>(grown) + kHugePage - 1) & ~(kHugePage - 1);
        std::free(grown);
        if (grown && floor < reinterpret_cast<std::uintptr_t>(::sbrk(0))) heap_floor = floor;
        AskHugePagesForHeap();
    });
}

void MakeRoomInHeap(std::uint64_t bytes) {
    if (bytes < kHugePage || bytes > 2 * kReusedAllocationLimit || heap_floor.load() == 0) return;
    // Taken and given back at once: the heap grows by it, when it must, before
    // the decode touches the memory, and the new part is asked for huge pages.
    void* volatile room = std::malloc(static_cast<std::size_t>(bytes));
    std::free(room);
    AskHugePagesForHeap();
}

void ReturnFreedMemory() { ::malloc_trim(0); }

}  // namespace nuthumb
