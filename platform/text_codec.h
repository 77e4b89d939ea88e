#pragma once
// Conversions between the program's UTF-8 text and the CP932 (Shift-JIS) bytes of
// the files it shares with the desktop world.
#include <optional>
#include <string>
#include <string_view>

namespace nuthumb {

// CP932 bytes to UTF-8; nullopt when the bytes are not valid CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

// UTF-8 text to CP932 bytes; nullopt when a character has no CP932 form (nothing is
// ever replaced by '?') or the text is not valid UTF-8.
std::optional<std::string> Utf8ToCp932(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Length of the longest prefix of at most `limit` bytes that does not cut a
// character in half, for UTF-8 or for CP932 text.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit);
std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t limit);

}  // namespace nuthumb
