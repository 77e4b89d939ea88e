#pragma once
#include <cstdint>

namespace nuthumb {

// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemory();

// A heap's free end is kept up to twice this size between files: the
// coefficients of a progressive photo of up to about 16 megapixels, which the
// decoder zeroes, then cost no fresh pages for the next photo.
inline constexpr std::uint64_t kReusedAllocationLimit = std::uint64_t{32} << 20;

// Makes the C library keep what was freed for the next file instead of handing
// it back to the system and taking it again (two brk calls and a page fault for
// every page, which the kernel zeroes anew, per file): one heap for every
// thread, nothing mapped apart, a free end of twice kReusedAllocationLimit kept
// and asked for transparent huge pages. Once per process, before the threads
// that decode start; later calls do nothing.
void KeepFreedMemoryForReuse();

// Grows the heap's free end to `bytes`, when it is smaller, and asks huge pages
// for it before a decode of that size touches it. No system call when the heap
// has room already. Nothing for small decodes, for those larger than the free
// end the heap keeps (it would be trimmed again at once), or when allocations
// do not come from the heap.
void MakeRoomInHeap(std::uint64_t bytes);

// Gives the memory that freed allocations still hold back to the system: the
// heap's free end and the whole free pages within it, which the C library keeps
// for the next allocation. A slow call: for when a large decode has ended or a
// run is over, never per file.
void ReturnFreedMemory();

}  // namespace nuthumb
