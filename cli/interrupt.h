#pragma once
// Ctrl-C as the command line's cancel button.

namespace nuthumb {

// Installs a SIGINT handler that only records the signal. It resets itself, so a
// second Ctrl-C ends the program at once if a file takes too long.
void InstallInterruptHandler();

// True once SIGINT has arrived; stays true, so a Ctrl-C during the listing (which
// the folder run's clearing of the CancelFlag would otherwise swallow) still
// cancels at the first file.
bool InterruptRequested();

}  // namespace nuthumb
