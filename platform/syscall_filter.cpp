#include "platform/syscall_filter.h"

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace nuthumb {
namespace {

#if defined(__x86_64__)
constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
constexpr std::uint32_t kArch = 0;  // unknown: no filter
#endif

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "argument halves are read little-endian");

constexpr std::uint32_t kAllow = SECCOMP_RET_ALLOW;
constexpr std::uint32_t kRefuse = SECCOMP_RET_ERRNO | EPERM;

constexpr std::uint32_t ArgLow(int i) { return offsetof(seccomp_data, args) + 8 * static_cast<std::uint32_t>(i); }

// Calls that touch nothing outside the process, or only what it already holds
// open: memory, threads, time, signals to itself, reading.
const std::initializer_list<long> kHarmless = {
    SYS_read, SYS_readv, SYS_pread64, SYS_preadv, SYS_close, SYS_lseek, SYS_fstat, SYS_newfstatat, SYS_statx,
    SYS_fcntl, SYS_munmap, SYS_mremap, SYS_mprotect, SYS_madvise, SYS_brk, SYS_futex,
    SYS_set_robust_list, SYS_rseq, SYS_set_tid_address, SYS_exit, SYS_exit_group, SYS_rt_sigreturn,
    SYS_rt_sigprocmask, SYS_rt_sigaction, SYS_sigaltstack, SYS_restart_syscall, SYS_clock_gettime,
    SYS_clock_getres, SYS_gettimeofday, SYS_clock_nanosleep, SYS_nanosleep, SYS_sched_yield,
    SYS_sched_getaffinity, SYS_getpid, SYS_gettid, SYS_getppid, SYS_getuid, SYS_geteuid, SYS_getgid,
    SYS_getegid, SYS_getrandom, SYS_getrusage, SYS_uname, SYS_sysinfo, SYS_getcpu,
};

// BPF in blocks that each end in a return, so that a block stepped over leaves
// the system call's number in the accumulator for the next one.
class Program {
public:
    void Load(std::uint32_t offset) { code_.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset)); }
    void Return(std::uint32_t action) { code_.push_back(BPF_STMT(BPF_RET | BPF_K, action)); }
    void Jump(std::uint16_t op, std::uint32_t k, std::uint8_t on_true, std::uint8_t on_false) {
        code_.push_back(BPF_JUMP(BPF_JMP | op | BPF_K, k, on_true, on_false));
    }
    // When the call is `nr`, the `length` instructions that follow decide it.
    void When(long nr, std::uint8_t length) { Jump(BPF_JEQ, static_cast<std::uint32_t>(nr), 0, length); }

    void Allow(long nr) {
        When(nr, 1);
        Return(kAllow);
    }
    void Answer(long nr, std::uint32_t action) {
        When(nr, 1);
        Return(action);
    }
    // Allowed when its argument `arg` (a descriptor, an id: the low half) is one of `values`.
    void AllowIfArgIn(long nr, int arg, std::initializer_list<std::uint32_t> values) {
        const auto count = static_cast<std::uint8_t>(values.size());
        When(nr, static_cast<std::uint8_t>(count + 3));
        Load(ArgLow(arg));
        std::uint8_t left = count;
        for (const std::uint32_t value : values) Jump(BPF_JEQ, value, left--, 0);
        Return(kRefuse);
        Return(kAllow);
    }
    // Allowed when its argument `arg` (a pointer) is null: prlimit64 may read limits, never set them.
    void AllowIfArgNull(long nr, int arg) {
        When(nr, 6);
        Load(ArgLow(arg));
        Jump(BPF_JEQ, 0, 0, 2);
        Load(ArgLow(arg) + 4);
        Jump(BPF_JEQ, 0, 1, 0);
        Return(kRefuse);
        Return(kAllow);
    }
    // Allowed when the flags in argument `arg` include `bits` (`with`), or lack
    // them: clone makes threads, never processes; mmap maps nothing shared.
    void AllowIfFlags(long nr, int arg, std::uint32_t bits, bool with) {
        When(nr, 4);
        Load(ArgLow(arg));
        Jump(BPF_JSET, bits, with ? 1 : 0, with ? 0 : 1);
        Return(kRefuse);
        Return(kAllow);
    }
    sock_fprog Finished() {
        return {static_cast<unsigned short>(code_.size()), code_.data()};
    }

private:
    std::vector<sock_filter> code_;
};

}  // namespace

void InstallSyscallFilter(int socket) {
    if (kArch == 0) return;
    const auto own = static_cast<std::uint32_t>(socket);
    const auto stderr_fd = static_cast<std::uint32_t>(STDERR_FILENO);
    Program p;
    p.Load(offsetof(seccomp_data, arch));
    p.Jump(BPF_JEQ, kArch, 1, 0);
    p.Return(SECCOMP_RET_KILL_PROCESS);
    p.Load(offsetof(seccomp_data, nr));
#if defined(__x86_64__)
    p.Jump(BPF_JGE, __X32_SYSCALL_BIT, 0, 1);  // the x32 numbers of the same calls
    p.Return(kRefuse);
#endif
    for (const long nr : kHarmless) p.Allow(nr);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers test whether memory is readable by writing it into a pipe
    // of their own (UndefinedBehaviorSanitizer's check of a polymorphic call,
    // say); refused, they would report a fault that is not there.
    p.Allow(SYS_pipe2);
    p.Allow(SYS_write);
#endif
    p.AllowIfArgIn(SYS_write, 0, {own, stderr_fd});
    p.AllowIfArgIn(SYS_writev, 0, {own, stderr_fd});
    p.AllowIfArgIn(SYS_sendmsg, 0, {own});
    p.AllowIfArgIn(SYS_sendto, 0, {own});
    p.AllowIfArgIn(SYS_recvmsg, 0, {own});
    p.AllowIfArgIn(SYS_recvfrom, 0, {own});
    p.AllowIfArgIn(SYS_tgkill, 0, {static_cast<std::uint32_t>(::getpid())});  // abort() signals itself
    p.AllowIfArgNull(SYS_prlimit64, 2);
    p.AllowIfFlags(SYS_clone, 0, CLONE_THREAD, true);
    // Shared memory would escape RLIMIT_DATA, which limits only private memory.
    p.AllowIfFlags(SYS_mmap, 3, MAP_SHARED, false);
    p.Answer(SYS_clone3, SECCOMP_RET_ERRNO | ENOSYS);  // the C library then makes threads by clone
    p.Return(kRefuse);
    sock_fprog program = p.Finished();
    if (::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &program) != 0)
        throw std::runtime_error("sandbox: seccomp");
}

}  // namespace nuthumb
