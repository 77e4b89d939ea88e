#include "settings/settings_file.h"

#include "platform/file_io.h"
#include "platform/message_name.h"
#include "platform/translate.h"
#include "settings/ini_document.h"
#include "settings/integer_rule.h"
#include "settings/settings_readable.h"

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
      reason_(Fill(Tr("保存できない値: {}"), {Joined(refused_keys)})) {}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

void SettingsFile::RequireReadable(bool must_exist) const {
    stored_.emplace(ReadSettingsBytes(path_, must_exist).value_or(std::vector<std::uint8_t>{}));
}

const IniDocument& SettingsFile::Stored() const {
    try {
        if (!stored_) RequireReadable(false);
    } catch (const IoError&) {
        // Reads as the defaults; a write says why, since it rereads the file and
        // refuses to replace what it could not read.
        stored_.emplace(std::vector<std::uint8_t>{});
    }
    return *stored_;
}

std::string SettingsFile::Read(const keys::TextKey& key) const {
    return Stored().Find(key.section, key.name, kMaxValueBytes).value_or(std::string(key.fallback));
}

std::int32_t SettingsFile::Read(const keys::IntegerKey& key) const {
    return key.rule(ParseIntegerOr(Read(keys::TextKey{key.section, key.name}), key.fallback));
}

bool SettingsFile::Read(const keys::FlagKey& key) const {
    return ParseFlagOr(Read(keys::TextKey{key.section, key.name}), key.fallback);
}

void SettingsFile::Write(const keys::TextKey& key, std::string_view value) {
    WriteStrings(key.section, {{std::string(key.name), std::string(value)}});
}

void SettingsFile::Write(const keys::IntegerKey& key, std::int32_t value) {
    Write(keys::TextKey{key.section, key.name}, std::to_string(value));
}

void SettingsFile::Write(const keys::FlagKey& key, bool value) { Write(keys::TextKey{key.section, key.name}, value ? "1" : "0"); }

void SettingsFile::WriteStrings(std::string_view section, const std::vector<SettingsEntry>& entries) {
    if (entries.empty()) return;
    try {
        // What is no regular file is left for WriteFileAtomic to refuse in its words.
        const IniDocument now(FileExists(path_) ? *ReadSettingsBytes(path_, true) : std::vector<std::uint8_t>{});
        const std::string bytes = now.WithEntries(section, entries);
        // Temporary file and rename: a reader sees the old file or the new one.
        WriteFileAtomic(path_, bytes);
        if (stored_) stored_.emplace(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    } catch (const IoError& e) {
        throw SettingsWriteError(path_, ReasonOf(e));
    } catch (const IniValueError& e) {
        throw SettingsWriteError(path_, e.what());
    }
}

}  // namespace nuthumb
