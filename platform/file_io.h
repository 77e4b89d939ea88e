#pragma once
// Whole-file access and existence tests: the program's only way to touch files.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nuthumb {

// A file operation that failed; what() names the path and the system's reason.
class IoError : public std::runtime_error {
public:
    explicit IoError(const std::string& text) : std::runtime_error(text), source_text_(text) {}
    // what() is the pattern `what` (kCannotRead and the others of io_failure.h)
    // in the user's language, filled with the path as NameForMessage shows it and
    // the reason.
    IoError(const char* what, std::string_view path, std::string reason);
    // The reason alone ("Not a directory"); empty when only what() was given.
    const std::string& reason() const noexcept { return reason_; }
    // what() with the pattern in Japanese, for the files the program writes, which
    // keep Japanese in every language.
    const std::string& source_text() const noexcept { return source_text_; }

private:
    std::string reason_;
    std::string source_text_;
};

// The system's words for a failure, without the path: an IoError's reason, else
// what().
std::string ReasonOf(const std::exception& error);

// Reads the whole file. Throws IoError when it cannot be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Replaces the file's whole content: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and the temporary file is renamed over the
// target. A failure (full disk, read-only folder, name too long) throws IoError and
// leaves any existing file exactly as it was. An existing file's permissions are
// kept; a new file gets the usual 0666 less the umask. A symbolic link is followed
// and the file it names is replaced in its own folder (ResolveWriteTarget); a path
// that is, or links to, anything but a regular file is refused, never replaced.
void WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes);
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// True when the path names a regular file (links followed); folders do not count.
bool FileExists(const std::string& path);

// True when the path names a directory (links followed).
bool DirectoryExists(const std::string& path);

}  // namespace nuthumb
