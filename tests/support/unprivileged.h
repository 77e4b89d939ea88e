#pragma once
// Permission tests need a user whom the kernel holds to file modes; root reads and
// writes anything. These helpers run code as such a user in a forked child.
#include <grp.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/support/in_child.h"

namespace nuthumb::test {

// In a forked child: when it runs as root, becomes uid and gid 65534 (nobody).
// False when that is not allowed.
inline bool DropRootPrivileges() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// Runs `fn` in a forked child that cannot bypass file permissions (InChild); nullopt
// when the child could not give up root. The folders `fn` uses must be reachable
// by nobody (a TempDir is not, until it is chmod'ed 0755).
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& fn) {
    return InChild(DropRootPrivileges, fn);
}

}  // namespace nuthumb::test
