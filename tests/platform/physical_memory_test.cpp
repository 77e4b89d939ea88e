#include "platform/physical_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/child_process.h"

namespace nuthumb {
namespace {

// The VmFlags of the mapping that holds `address`, from /proc/self/smaps.
std::string FlagsOfMappingAt(std::uintptr_t address) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> from >> dash >> to && dash == '-') inside = from <= address && address < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0) return line;
    }
    return "";
}

bool HugePagesOnRequest() {
    std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text((std::istreambuf_iterator<char>(modes)), {});
    return text.find("[never]") == std::string::npos && !text.empty();
}

// A decode's buffers come from a heap that was grown for them and asked for huge
// pages before they are touched: the room is really there (an allocation that
// is freed at once must not be optimised away or trimmed again), and the
// heap's whole end carries the request, the grown part too.
TEST(PhysicalMemory, MakesRoomInTheHeapAskedForHugePages) {
    if (!HugePagesOnRequest()) GTEST_SKIP() << "no transparent huge pages here";
    const test::ChildEnd end = test::RunChild({}, [] {
        KeepFreedMemoryForReuse();
        if (FlagsOfMappingAt(reinterpret_cast<std::uintptr_t>(::sbrk(0)) - 1).empty())
            return std::string("no heap");  // a sanitizer's allocator
        // Takes the free end the heap keeps, so that the room must be grown.
        void* volatile held = std::malloc(std::size_t{60} << 20);
        const auto before = reinterpret_cast<std::uintptr_t>(::sbrk(0));
        constexpr std::size_t kRoom = std::size_t{48} << 20;
        MakeRoomInHeap(kRoom);
        const auto after = reinterpret_cast<std::uintptr_t>(::sbrk(0));
        std::string report;
        if (after <= before || ::mallinfo2().keepcost < kRoom) report += "no room made; ";
        if (FlagsOfMappingAt(after - 1).find(" hg") == std::string::npos) report += "no huge pages asked; ";
        std::free(held);
        return report.empty() ? std::string("ok") : report;
    });
    if (end.report == "no heap") GTEST_SKIP() << "allocations do not come from the heap in this build";
    EXPECT_EQ(end.report, "ok");
}

}  // namespace
}  // namespace nuthumb
