#pragma once
// A cheap look at whether a file still holds what it held: its size and a hash of
// its first and last 64 KiB. A copy or a checkout gives a photo a new time (and
// often a new inode) without changing a byte; this tells such a file from an
// edited one without reading it whole. An edit inside the file that keeps its
// size and both ends goes unseen; editors that save a photo rewrite its header
// (and mostly its size), so the ends are what change.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/file_identity.h"

namespace nuthumb {

// How much of each end of a file SampleContent reads.
inline constexpr std::uint64_t kSampledEnd = 64 * 1024;

// A 64-bit hash of `bytes`, the same on every machine and in every build: it is
// stored in files and compared in later runs. Not cryptographic: it tells
// accidental changes apart, nothing more.
std::uint64_t HashBytes(std::span<const std::uint8_t> bytes, std::uint64_t seed = 0);

struct ContentSample {
    FileIdentity identity;   // the file as it was from opening it until after reading
    std::uint64_t hash = 0;  // of its size, its first and its last kSampledEnd bytes
};

// Samples the regular file `path` (links followed; anything else is refused
// without being opened). nullopt when it cannot be opened or read, or when it
// changed (or the name came to stand for another file) while it was read.
std::optional<ContentSample> SampleContent(const std::string& path);

}  // namespace nuthumb
