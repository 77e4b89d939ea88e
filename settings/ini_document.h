#pragma once
// One snapshot of a settings file's bytes: looks values up and produces the bytes
// of the file with some keys stored. Everything it does not touch, including
// lines that are no INI at all, keeps its bytes.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/ini_encoding.h"

namespace nuthumb {

// A name or value that cannot be stored faithfully (a line break in a value,
// text that is not UTF-8, a name that would not read back).
class IniValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest value that is stored, and read back whole: 64 KiB of UTF-8, which is
// never fewer bytes than the same text in CP932. A file edited by hand may hold
// longer values; those are read cut to this length.
inline constexpr std::size_t kMaxIniValueBytes = 64 * 1024;

// Why `value` cannot be stored (a line break, not UTF-8, longer than
// kMaxIniValueBytes), or an empty text when it can.
std::string ValueFault(std::string_view value);

class IniDocument {
public:
    explicit IniDocument(std::vector<std::uint8_t> bytes);

    IniEncoding encoding() const noexcept { return encoding_; }

    // The first value of `key` in a section named `section`, as UTF-8 cut to
    // `max_bytes` bytes of the file's encoding (bytes that do not decode come
    // through as escapes); nullopt when it is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key,
                                    std::size_t max_bytes) const;

    // The file's bytes with every key=value of `entries` stored in the section:
    // an existing key keeps its place and its name's bytes, new keys go after the
    // section's last key, a missing section is appended. A key whose value already
    // reads as the text keeps its line as it is; edited and new lines end in CR LF.
    // A text that CP932 cannot give back exactly turns the whole file into UTF-8
    // with a byte-order mark. Throws IniValueError for a text that cannot be stored.
    std::string WithEntries(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& entries) const;

private:
    std::string_view Text() const;
    std::string_view Body() const;  // the text after a byte-order mark

    std::vector<std::uint8_t> bytes_;
    IniEncoding encoding_;
};

}  // namespace nuthumb
