#pragma once
// Writes that go straight to an open file: terminals, pipes, /dev/null.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace nuthumb {

// Writes every byte to `fd`, going on after signals and short writes. Throws
// IoError naming `name` when a write fails.
void WriteAll(int fd, std::span<const std::uint8_t> bytes, const std::string& name);

// For a file the user may point at a terminal, a pipe or /dev/null: when `path`
// (links followed) is a character device or a FIFO, it is opened without being
// created or truncated and the bytes are written to it; the open never waits for
// a FIFO's reader (no reader is an error). Anything else goes through
// WriteFileAtomic. Throws IoError naming `path`.
void WriteFileOrDevice(const std::string& path, std::span<const std::uint8_t> bytes);
void WriteFileOrDevice(const std::string& path, std::string_view bytes);

}  // namespace nuthumb
