#include "settings/settings_file.h"

#include "platform/file_io.h"
#include "platform/message_name.h"
#include "platform/translate.h"
#include "settings/ini_document.h"
#include "settings/integer_rule.h"

namespace nuthumb {

namespace {

std::string CannotWrite(const std::string& path) { return Fill(Tr("{} に書き込めません"), {NameForMessage(path)}); }

std::string Joined(const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) text += (text.empty() ? "" : ", ") + key;
    return text;
}

}  // namespace

SettingsWriteError::SettingsWriteError(const std::string& path, std::string reason)
    : std::runtime_error(CannotWrite(path)), path_(path), reason_(std::move(reason)) {}

SettingsWriteError::SettingsWriteError(const std::string& path, const std::vector<std::string>& refused_keys)
    : std::runtime_error(CannotWrite(path) + ": " + Joined(refused_keys)),
      path_(path),
      reason_("values that cannot be stored: " + Joined(refused_keys)) {}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::string SettingsFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view default_value) const {
    auto value = IniDocument::ReadOrEmpty(path_).Find(section, key, kMaxValueBytes);
    return value ? std::move(*value) : std::string(default_value);
}

std::int32_t SettingsFile::ReadInteger(std::string_view section, std::string_view key,
                                       std::int32_t default_value) const {
    return ParseIntegerOr(ReadString(section, key, ""), default_value);
}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
    return ParseFlagOr(ReadString(section, key, ""), default_value);
}

void SettingsFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    WriteStrings(section, {{std::string(key), std::string(value)}});
}

void SettingsFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void SettingsFile::WriteStrings(std::string_view section, const std::vector<SettingsEntry>& entries) {
    if (entries.empty()) return;
    try {
        const std::string bytes = IniDocument::ReadForUpdate(path_).WithEntries(section, entries);
        // Temporary file and rename: a reader sees the old file or the new one.
        WriteFileAtomic(path_, bytes);
    } catch (const IoError& e) {
        throw SettingsWriteError(path_, ReasonOf(e));
    } catch (const IniValueError& e) {
        throw SettingsWriteError(path_, e.what());
    }
}

}  // namespace nuthumb
