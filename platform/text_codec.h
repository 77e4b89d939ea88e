#pragma once
// Conversions between the program's UTF-8 text and the bytes of the files it
// shares with the desktop world, which are CP932 (Shift-JIS) or UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace nuthumb {

// A byte of a file that decodes to no character (a hand edit in Latin-1, a stray
// 0x80) travels through the program as one escape character, U+10DC00 + byte, and
// is written back as that byte. The escape keeps the text valid UTF-8, so a Qt
// edit shows it and a batch entry carries it; it maps back to exactly one byte;
// no CP932 decode yields it, because CP932 decodes into the BMP only; and nobody
// types a plane-16 private-use character by chance. Only bytes 80..FF need it:
// an ASCII byte always decodes.
inline constexpr char32_t kByteEscapeBase = 0x10DC00;

// CP932 bytes as text; each byte that does not decode becomes its escape.
std::string DecodeCp932(std::string_view bytes);

// The CP932 bytes of `text`, escapes written as the bytes they stand for; nullopt
// unless DecodeCp932 gives `text` back exactly: a character CP932 lacks, one it
// maps one way only (〜 is stored as 81 60, which reads back as ～), text that is
// not UTF-8, or escaped bytes that would join their neighbours into a character.
// This is the one place that decides whether a text may go out as CP932.
std::optional<std::string> EncodeCp932(std::string_view text);

// UTF-8 file bytes as text; each byte outside a well-formed character becomes its
// escape.
std::string DecodeUtf8(std::string_view bytes);

// The UTF-8 file bytes of `text`: escapes as the bytes they stand for when the
// result reads back as `text`, otherwise the escapes themselves (which read back
// as themselves). Text that is not UTF-8 is returned as it is.
std::string EncodeUtf8(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// True for a byte that starts a two-byte CP932 character (it may also be the
// second byte of one).
bool IsCp932Lead(char c);

// Length of the longest prefix of at most `limit` bytes that does not cut a
// character in half, for UTF-8 or for CP932 bytes. A byte that is no character
// counts on its own, so damaged text is never cut to nothing.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit);
std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t limit);

}  // namespace nuthumb
