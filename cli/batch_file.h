#pragma once
// A batch written by a script: a text file with one BatchEntry per line.
#include <cstddef>
#include <string>
#include <vector>

namespace nuthumb {

// The longest line a batch file may hold, without its line end.
inline constexpr std::size_t kMaxBatchLineBytes = 64 * 1024;
// The most a batch file may hold: its entries are all read before the first runs,
// and a pipe that never ends must cost neither all memory nor forever.
inline constexpr std::size_t kMaxBatchFileBytes = 64 * 1024 * 1024;
// The most entries a batch file may hold. Each entry costs its text and at least
// two lines of log (kept for --error-list), so a file of tiny entries inside the
// byte limit (64 MiB of "x" CR, 33 million entries) would cost gigabytes and
// minutes; this many keep a batch, its log kept too, within a few hundred MB.
inline constexpr std::size_t kMaxBatchEntries = 250'000;

// The file's entries, read line by line. A line ends in LF or CR LF; each line is
// UTF-8 when its bytes are valid UTF-8 and CP932 otherwise (a byte-order mark at
// the start is skipped). Lines that hold no field (empty, blanks only) are skipped.
// A line ended by a lone CR keeps that CR and one holding a NUL keeps it, so the
// batch run reports each as a data error under its own number instead of merging
// or dropping it. Throws IoError when the file cannot be read, is neither a
// regular file nor a FIFO (a device such as /dev/zero never ends), holds a line
// longer than kMaxBatchLineBytes (named by its number, counted from 1), more
// than kMaxBatchFileBytes in all or more than kMaxBatchEntries entries.
std::vector<std::string> ReadBatchFile(const std::string& path);

}  // namespace nuthumb
