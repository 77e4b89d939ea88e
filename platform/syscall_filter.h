#pragma once
// A seccomp filter for a helper process that decodes untrusted data: the system
// calls a decode needs pass, every other fails with EPERM, so code that a
// crafted file takes over can open no file, start no program, signal no other
// process and write only to its own socket and standard error.
namespace nuthumb {

// Installs the filter on every thread of the process (the process must have
// PR_SET_NO_NEW_PRIVS set). `socket` is the one descriptor besides standard
// error that may be written to. Throws std::runtime_error when the system
// refuses it. On a processor whose system calls it does not know, it does nothing.
void InstallSyscallFilter(int socket);

}  // namespace nuthumb
