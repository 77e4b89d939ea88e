#pragma once
// The settings accessor: reads and writes the keys of settings_table.h in an INI
// file. It reads the file once and keeps what it read; every write starts from
// the file as it is on the disk and has reached the disk when it returns.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/ini_document.h"
#include "settings/settings_table.h"

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

    // Reads the file for the reads that follow, or throws IoError as
    // ReadSettingsBytes does (settings_readable.h).
    void RequireReadable(bool must_exist) const;

    // The stored value, or the key's default when the file (also one that cannot
    // be read), section or key is missing. Texts come verbatim, at most
    // kMaxValueBytes bytes, never half a character; bytes that do not decode read
    // as escapes (platform/text_codec.h) and go back as the same bytes. Numbers
    // and flags go through ParseIntegerOr (empty or unreadable: the default),
    // numbers then through the key's rule. The file is read at the first read;
    // later reads see that and this object's own writes.
    std::string Read(const keys::TextKey& key) const;
    std::int32_t Read(const keys::IntegerKey& key) const;
    bool Read(const keys::FlagKey& key) const;

    // Stores the value (creating file, section or key as needed; an existing key
    // keeps its place), numbers in decimal, flags as 1 or 0; on the disk when it
    // returns. Throws SettingsWriteError when the value cannot be stored; the file
    // is then left exactly as it was.
    void Write(const keys::TextKey& key, std::string_view value);
    void Write(const keys::IntegerKey& key, std::int32_t value);
    void Write(const keys::FlagKey& key, bool value);

    // Stores several keys of one section in a single rewrite of the file: either
    // all of them reach the disk or, on SettingsWriteError, none does. When a key
    // appears twice, the later value wins; no entries leave the file untouched.
    void WriteStrings(std::string_view section, const std::vector<SettingsEntry>& entries);

    const std::string& path() const noexcept { return path_; }

private:
    const IniDocument& Stored() const;

    std::string path_;
    mutable std::optional<IniDocument> stored_;  // as read, with this object's writes
};

}  // namespace nuthumb
