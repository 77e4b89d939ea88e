#pragma once
// The command line's exit statuses, documented in --help and the README.

namespace nuthumb {

inline constexpr int kExitFinished = 0;      // every file handled, none failed
inline constexpr int kExitFailedFiles = 1;   // finished, but some files failed
inline constexpr int kExitUsage = 2;         // bad command line or folder check failed
inline constexpr int kExitNoSourceFile = 3;  // the source folder holds no file of the format
inline constexpr int kExitCancelled = 130;   // Ctrl-C, as shells report SIGINT

}  // namespace nuthumb
