#pragma once
// The magic-number test of the sniffers: a file's first bytes hold `text` at
// `offset`, a head too short for it holding nothing there.
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace nuthumb {

inline bool HasBytesAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
    return bytes.size() >= offset && bytes.size() - offset >= text.size() &&
           std::memcmp(bytes.data() + offset, text.data(), text.size()) == 0;
}

}  // namespace nuthumb
