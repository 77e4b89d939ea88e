#pragma once
// A batch written by a script: a text file with one BatchEntry per line.
#include <string>
#include <vector>

namespace nuthumb {

// The file's entries: lines end in LF or CR LF; the text is UTF-8 (a byte-order
// mark is skipped) or, when the bytes are not valid UTF-8, CP932; lines that hold
// no field (empty, blanks only) are skipped. Throws IoError when the file cannot
// be read or is neither UTF-8 nor CP932.
std::vector<std::string> ReadBatchFile(const std::string& path);

}  // namespace nuthumb
