#include "platform/helper_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/io_failure.h"

extern char** environ;

namespace nuthumb {
namespace {

// What posix_spawn does in the child before the program starts.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    explicit SpawnSetup(int child_socket) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, child_socket, kHelperSocket);
        posix_spawnattr_init(&attributes);
        // Its own group, no blocked signals, and every handler back to the
        // default (this process ignores SIGPIPE, which the child would inherit).
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawnattr_setpgroup(&attributes, 0);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

HelperProcess::HelperProcess(const std::string& program) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) ThrowErrno(kCannotOpen, program, errno);
    socket_ = UniqueFd(ends[0]);
    UniqueFd child_end(ends[1]);
    // The file actions open descriptors 0 and 1 and put the socket on 3 in that
    // order: the child's end must not be one of them already.
    if (child_end.get() <= kHelperSocket)
        child_end = UniqueFd(::fcntl(child_end.get(), F_DUPFD_CLOEXEC, kHelperSocket + 1));
    if (!child_end) ThrowErrno(kCannotOpen, program, errno);
    const SpawnSetup setup(child_end.get());
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const int error = ::posix_spawn(&pid_, program.c_str(), &setup.actions, &setup.attributes, argv, environ);
    if (error != 0) {
        pid_ = -1;
        ThrowErrno(kCannotOpen, program, error);
    }
}

HelperProcess::~HelperProcess() {
    if (pid_ > 0 && !reaped_) Kill();
}

HelperEnd HelperProcess::Reap() {
    int status = 0;
    pid_t got;
    do got = ::waitpid(pid_, &status, 0);
    while (got < 0 && errno == EINTR);
    reaped_ = true;
    // Reaped by someone else (SIGCHLD ignored): nothing is known of its end.
    if (got != pid_) return {true, SIGKILL};
    if (WIFSIGNALED(status)) return {true, WTERMSIG(status)};
    return {false, WEXITSTATUS(status)};
}

HelperEnd HelperProcess::Kill() {
    if (reaped_) return {true, SIGKILL};
    ::kill(pid_, SIGKILL);
    socket_.close();
    return Reap();
}

double HelperProcess::CpuSeconds() const {
    clockid_t clock;
    timespec used{};
    if (reaped_ || ::clock_getcpuclockid(pid_, &clock) != 0 || ::clock_gettime(clock, &used) != 0) return 0;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

void HelperProcess::SetSoftLimit(int resource, std::uint64_t soft) const {
    const auto which = static_cast<__rlimit_resource>(resource);
    rlimit limit{};
    if (reaped_ || ::prlimit(pid_, which, nullptr, &limit) != 0) return;
    // The hard limit stays, so that the next file may be given more again.
    limit.rlim_cur = std::min(static_cast<rlim_t>(soft), limit.rlim_max);
    ::prlimit(pid_, which, &limit, nullptr);
}

}  // namespace nuthumb
