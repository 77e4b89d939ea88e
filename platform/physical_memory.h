#pragma once
#include <cstdint>

namespace nuthumb {

// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory();

// Allocations up to this size come from the C library's heaps and are reused
// from one file to the next: the coefficients of a progressive photo of up to
// about 16 megapixels, which the decoder zeroes, then cost no fresh pages. Larger
// ones are mapped apart and go back to the system as soon as they are freed.
// The C library takes no larger limit.
inline constexpr std::uint64_t kReusedAllocationLimit = std::uint64_t{32} << 20;

// Makes the C library keep what a thread freed for its next file instead of
// handing it back to the system and taking it again (two brk or mprotect calls
// and a page fault for every page, which the kernel zeroes anew, per file): a
// heap's free end is kept up to twice kReusedAllocationLimit, and the limit for
// mapping an allocation apart stays fixed there instead of following the sizes
// freed. Once per process; later calls do nothing.
void KeepFreedMemoryForReuse();

// Gives the memory that freed allocations still hold back to the system. The C
// library keeps a separate heap per thread and keeps what a thread freed for
// that thread's next allocation, so huge decodes on several threads would each
// keep their own peak. A slow call: for when a large decode has ended or a run
// is over, never per file.
void ReturnFreedMemory();

}  // namespace nuthumb
