#pragma once
// Runs a program as a separate process through the shell, the way a user starts
// it from a terminal, and brings back what it did.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/folder_files.h"

namespace nuthumb::test {

struct ProgramRun {
    int status = -1;  // exit status; 128 + signal when killed by one (Qt's abort: 134)
    std::string out, err;
};

// `command` is shell text, run in the source language whatever the session's;
// its stderr goes through `err_file`, which must be writable by whoever runs it.
inline ProgramRun RunCommand(const std::string& command, const std::string& err_file) {
    ProgramRun run;
    FILE* pipe = ::popen(("unset LC_ALL LC_MESSAGES LANGUAGE; export LANG=C.UTF-8; " + command + " 2>" + err_file).c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    run.err = ReadText(err_file);
    return run;
}

}  // namespace nuthumb::test
