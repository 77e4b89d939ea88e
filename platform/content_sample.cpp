#include "platform/content_sample.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <limits>
#include <vector>

#include "platform/source_file.h"

namespace nuthumb {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

// Eight bytes as a little-endian number, whatever the machine's order.
std::uint64_t LittleEndianWord(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < count; ++i) word |= std::uint64_t{bytes[i]} << (8 * i);
    return word;
}

// Spreads every input bit over every output bit, so that near inputs give far hashes.
std::uint64_t Avalanche(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

// Reads `count` bytes at `offset` into `out`; false when fewer arrive (the file shrank).
bool ReadPart(const SourceFile& file, std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) {
    out.resize(count);
    return file.ReadAt(offset, out) == count;
}

}  // namespace

std::uint64_t HashBytes(std::span<const std::uint8_t> bytes, std::uint64_t seed) {
    std::uint64_t h = seed ^ (static_cast<std::uint64_t>(bytes.size()) * kPrime1);
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8)
        h = std::rotl(h ^ (LittleEndianWord(bytes.data() + at, 8) * kPrime2), 31) * kPrime1;
    if (at < bytes.size()) h = std::rotl(h ^ (LittleEndianWord(bytes.data() + at, bytes.size() - at) * kPrime2), 27) * kPrime1;
    return Avalanche(h);
}

std::optional<ContentSample> SampleContent(const std::string& path) {
    try {
        const SourceFile file(path, std::numeric_limits<std::uint64_t>::max());
        const std::uint64_t size = file.size();
        std::uint8_t size_bytes[8];
        for (int i = 0; i < 8; ++i) size_bytes[i] = static_cast<std::uint8_t>(size >> (8 * i));
        std::uint64_t hash = HashBytes(size_bytes);
        std::vector<std::uint8_t> part;
        const std::size_t head = static_cast<std::size_t>(std::min(size, kSampledEnd));
        if (!ReadPart(file, 0, head, part)) return std::nullopt;
        hash = HashBytes(part, hash);
        // The tail starts after the head, so a small file is read once.
        const std::uint64_t tail_start = std::max(head, size > kSampledEnd ? size - kSampledEnd : 0);
        if (!ReadPart(file, tail_start, static_cast<std::size_t>(size - tail_start), part)) return std::nullopt;
        hash = HashBytes(part, hash);
        // Changed while read (or the name now stands for another file): the hash
        // describes no one state of it.
        if (IdentityOf(path) != file.identity()) return std::nullopt;
        return ContentSample{file.identity(), hash};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace nuthumb
