#include "platform/sandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/helper_process.h"
#include "platform/syscall_filter.h"

namespace nuthumb {
namespace {

constexpr rlim_t kStackBytes = rlim_t{8} << 20;
// Standard input, output, error, the socket, statm, the source being read, and
// one to spare.
constexpr rlim_t kDescriptors = 8;

void Require(bool done, const char* step) {
    if (!done) throw std::runtime_error(std::string("sandbox: ") + step);
}

// Lowers both limits of `resource` to at most `most`.
void LimitTo(int resource, rlim_t most) {
    const auto which = static_cast<__rlimit_resource>(resource);
    rlimit limit{};
    Require(::getrlimit(which, &limit) == 0, "getrlimit");
    limit.rlim_cur = std::min(limit.rlim_cur, most);
    limit.rlim_max = std::min(limit.rlim_max, most);
    Require(::setrlimit(which, &limit) == 0, "setrlimit");
}

}  // namespace

UniqueFd EnterSandbox() {
    Require(::close_range(kHelperSocket + 1, ~0U, 0) == 0, "close_range");
    UniqueFd statm(::open("/proc/self/statm", O_RDONLY | O_CLOEXEC));
    Require(static_cast<bool>(statm), "/proc/self/statm");
    LimitTo(RLIMIT_CORE, 0);
    LimitTo(RLIMIT_FSIZE, 0);
    LimitTo(RLIMIT_NOFILE, kDescriptors);
    LimitTo(RLIMIT_STACK, kStackBytes);
    // A write past the size limit (standard error redirected into a file) then
    // fails instead of ending the process; a parent gone fails a write the same way.
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    Require(::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0, "PR_SET_DUMPABLE");
    Require(::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0, "PR_SET_NO_NEW_PRIVS");
    InstallSyscallFilter(kHelperSocket);
    return statm;
}

std::uint64_t WritableBytes(int statm) {
    std::array<char, 128> text{};
    const ssize_t n = ::pread(statm, text.data(), text.size() - 1, 0);
    if (n <= 0) return 0;
    // size resident shared text lib data dirty, in pages: "data" counts the
    // writable private mappings and the stack.
    const char* field = text.data();
    for (int skipped = 0; skipped < 5 && field != nullptr; ++skipped) {
        field = std::strchr(field, ' ');
        if (field) ++field;
    }
    if (field == nullptr) return 0;
    return std::strtoull(field, nullptr, 10) * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace nuthumb
