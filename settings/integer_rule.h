#pragma once
// The one rule by which stored or typed text becomes an integer.
#include <cstdint>
#include <optional>
#include <string_view>

namespace nuthumb {

// Text longer than two characters that starts with "0x" or "0X": hexadecimal
// digits after the prefix. Otherwise: optional leading blanks, an optional '+' or
// '-', then decimal digits, or '$' and hexadecimal digits. Anything else (empty
// text, trailing characters, fractions) and any value outside the signed 32-bit
// range, hexadecimal ones included (0x80000000 does not wrap to a negative
// number), gives `default_value`.
std::int32_t ParseIntegerOr(std::string_view text, std::int32_t default_value);

// The same rule for callers that must know whether the text was a number at all:
// nullopt where ParseIntegerOr gives its default.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// The flag rule: the integer rule with 1 or 0 for the default; nonzero is true.
bool ParseFlagOr(std::string_view text, bool default_value);

}  // namespace nuthumb
