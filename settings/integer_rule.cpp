#include "settings/integer_rule.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace nuthumb {
namespace {

std::optional<unsigned> DigitValue(char c, unsigned base) {
    unsigned v;
    if (c >= '0' && c <= '9') v = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') v = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') v = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    if (v >= base) return std::nullopt;
    return v;
}

// The magnitude of a digit string, or nullopt when it is empty, holds anything but
// digits, or exceeds `limit`.
std::optional<std::uint64_t> Magnitude(std::string_view digits, unsigned base, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        const auto d = DigitValue(c, base);
        if (!d) return std::nullopt;
        value = value * base + *d;
        if (value > limit) return std::nullopt;  // stops long before 64 bits overflow
    }
    return value;
}

}  // namespace

std::int32_t ParseIntegerOr(std::string_view text, std::int32_t default_value) {
    return ParseInteger(text).value_or(default_value);
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto v = Magnitude(text.substr(2), 16, kMaxPositive);
        if (!v) return std::nullopt;
        return static_cast<std::int32_t>(*v);
    }
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    const auto v = Magnitude(text.substr(i), base, kMaxPositive + (negative ? 1 : 0));
    if (!v) return std::nullopt;
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(*v))
                    : static_cast<std::int32_t>(*v);
}

bool ParseFlagOr(std::string_view text, bool default_value) {
    return ParseIntegerOr(text, default_value ? 1 : 0) != 0;
}

}  // namespace nuthumb
