#pragma once
// A helper program run as a child that talks to this process over a socket and
// nothing else: it starts with the socket as descriptor kHelperSocket, /dev/null
// as its input and output and this process's standard error, and every other
// descriptor closed (they are close-on-exec here, and the helper closes the rest
// itself). It runs in a process group of its own, so that a Ctrl-C at the
// terminal reaches only this process, which ends the helper when it wants to.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace nuthumb {

inline constexpr int kHelperSocket = 3;

// How a helper ended: its exit status, or the signal that ended it.
struct HelperEnd {
    bool signalled = false;
    int code = 0;
};

class HelperProcess {
public:
    // Starts `program` with no arguments. Throws IoError, naming the program,
    // when it cannot be started.
    explicit HelperProcess(const std::string& program);
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    // Kills a helper that still runs and reaps it.
    ~HelperProcess();

    int socket() const { return socket_.get(); }

    // Ends the helper at once (SIGKILL) and reaps it; how it ended, which may
    // have been on its own, before the kill. A helper has nothing to save, so
    // even an idle one ends so: never a wait on a helper that will not end.
    HelperEnd Kill();

    // The CPU time the helper has used so far, in seconds.
    double CpuSeconds() const;
    // Sets the helper's soft limit of `resource` (RLIMIT_CPU, RLIMIT_DATA) to
    // `soft`, or to its hard limit when that is lower.
    void SetSoftLimit(int resource, std::uint64_t soft) const;

private:
    HelperEnd Reap();

    pid_t pid_ = -1;
    UniqueFd socket_;
    bool reaped_ = false;
};

}  // namespace nuthumb
