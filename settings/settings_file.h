#pragma once
// The settings accessor: reads and writes named values of an INI file. It holds
// only the path; every read parses the file as it is now and every write has
// reached the disk when it returns, so there is never a cache to go stale.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/ini_document.h"

namespace nuthumb {

// A value that could not be stored. what() is "<full path> に書き込めません"
// (a very long path shortened, NameForMessage); reason() says why in the
// system's words ("Not a directory"), for a line of its own under it.
class SettingsWriteError : public std::runtime_error {
public:
    SettingsWriteError(const std::string& path, std::string reason);
    // Keys whose values could not be stored while the others were: what() names
    // them after the path ("<full path> に書き込めません: SrcDir, Script3").
    SettingsWriteError(const std::string& path, const std::vector<std::string>& refused_keys);
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// One key and the UTF-8 value to store under it.
using SettingsEntry = std::pair<std::string, std::string>;

class SettingsFile {
public:
    // Longest value a read returns, in bytes of the file's encoding; every value
    // that a write accepts reads back whole.
    static constexpr std::size_t kMaxValueBytes = kMaxIniValueBytes;
    // False for a value that every write refuses (a line break, not UTF-8, longer
    // than kMaxValueBytes), so a caller can store the others without it.
    static bool CanStore(std::string_view value) { return ValueFault(value).empty(); }

    explicit SettingsFile(std::string path);
    // Writes are on the disk before they return, so releasing has nothing to flush.
    ~SettingsFile() = default;

    // The stored value (verbatim, at most kMaxValueBytes bytes, never half a
    // character), or the default when the file, section or key is missing. Bytes
    // that do not decode read as escapes (platform/text_codec.h) and are stored
    // back as the same bytes. An existing empty value reads as empty text.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view default_value) const;
    // The stored text through ParseIntegerOr; empty or unreadable gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t default_value) const;
    // ReadInteger with 1/0 for the default; any nonzero value is true.
    bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

    // Stores key=value in the section (creating file, section or key as needed;
    // an existing key keeps its place). Throws SettingsWriteError when the value
    // cannot be stored; the file is then left exactly as it was.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Stores several keys of one section in a single rewrite of the file: either
    // all of them reach the disk or, on SettingsWriteError, none does. When a key
    // appears twice, the later value wins; no entries leave the file untouched.
    void WriteStrings(std::string_view section, const std::vector<SettingsEntry>& entries);

    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace nuthumb
