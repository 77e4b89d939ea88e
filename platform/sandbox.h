#pragma once
// What a helper that reads untrusted data does to itself before it reads any,
// so that code which a crafted file takes over can change nothing outside it.
#include <cstdint>

#include "platform/unique_fd.h"

namespace nuthumb {

// Closes every descriptor but standard input, output, error and kHelperSocket;
// writes no core file and no file at all (RLIMIT_FSIZE 0, SIGXFSZ ignored);
// keeps at most a few descriptors and an 8 MiB stack; becomes undumpable and
// unable to gain privileges; then lets through only the system calls a decode
// needs (InstallSyscallFilter). Returns /proc/self/statm, opened before the
// filter, for WritableBytes. Throws std::runtime_error when a step fails.
UniqueFd EnterSandbox();

// The bytes of writable memory the process holds (data, heap, anonymous
// mappings and stack), read from its /proc/self/statm; 0 when unknown.
std::uint64_t WritableBytes(int statm);

}  // namespace nuthumb
