#pragma once
// Permission tests need a user whom the kernel holds to file modes; root reads and
// writes anything. These helpers run code as such a user in a forked child.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace nuthumb::test {

// In a forked child: when it runs as root, becomes uid and gid 65534 (nobody).
// False when that is not allowed.
inline bool DropRootPrivileges() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// Runs `fn` in a forked child that cannot bypass file permissions and returns the
// text it returned (an exception's what() with "throws: " before it); nullopt when
// the child could not give up root, so the caller can skip with a message. The folders `fn` uses must be reachable by
// nobody (a TempDir is not, until it is chmod'ed 0755).
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(60);  // a hang in `fn` fails the test instead of stopping the suite
        if (!DropRootPrivileges()) ::_exit(77);
        std::string text;
        try {
            text = fn();
        } catch (const std::exception& e) {
            text = std::string("throws: ") + e.what();
        }
        const bool sent = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child ended abnormally: " + std::to_string(status);
    return text;
}

}  // namespace nuthumb::test
