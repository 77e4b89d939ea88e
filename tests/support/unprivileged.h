#pragma once
// Runs a piece of a test as a user that cannot write where only its owner may:
// as root, a forked child drops to "nobody" (uid and gid 65534), so permission
// cases hold for root too; any other user runs the child as itself.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace nuthumb::test {

inline constexpr uid_t kNobody = 65534;

struct ChildOutcome {
    bool ran = false;  // false when the child could not drop its privileges
    std::string out;   // what the body returned
};

// `body` runs in the forked child and returns text for the parent.
template <class Body>
ChildOutcome RunUnprivileged(Body body) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid < 0) return {};
    if (pid == 0) {
        ::close(pipe_fds[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                 ::setuid(kNobody) != 0))
            ::_exit(125);
        const std::string text = body();
        const ssize_t n = ::write(pipe_fds[1], text.data(), text.size());
        ::_exit(n == static_cast<ssize_t>(text.size()) ? 0 : 124);
    }
    ::close(pipe_fds[1]);
    ChildOutcome outcome;
    char buf[4096];
    for (ssize_t n; (n = ::read(pipe_fds[0], buf, sizeof buf)) > 0;) outcome.out.append(buf, n);
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

}  // namespace nuthumb::test
