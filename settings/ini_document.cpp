#include "settings/ini_document.h"

#include <algorithm>
#include <unordered_map>

#include "platform/file_io.h"
#include "platform/text_codec.h"
#include "settings/ini_syntax.h"

namespace nuthumb {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsCp932(IniEncoding e) { return e == IniEncoding::kCp932; }

void CheckName(std::string_view name, std::string_view what) {
    const bool blank_edge = !name.empty() && (name.front() == ' ' || name.front() == '\t' ||
                                              name.back() == ' ' || name.back() == '\t');
    if (name.empty() || blank_edge || name.find_first_of("=[]\r\n") != std::string_view::npos ||
        !IsValidUtf8(name))
        throw IniValueError(std::string(what) + " name cannot be stored: \"" + std::string(name) + "\"");
}

void CheckValue(std::string_view value) {
    // A line break would end the line early and turn the rest into other keys.
    if (value.find_first_of("\r\n") != std::string_view::npos)
        throw IniValueError("a value with a line break cannot be stored");
    if (!IsValidUtf8(value)) throw IniValueError("a value that is not UTF-8 text cannot be stored");
}

// A piece of the new file: the bytes [begin, end) of the old body are replaced by
// `text` (begin == end inserts).
struct Splice {
    std::size_t begin, end;
    std::string text;
};

// The entries in the file's encoding: one per key, the later value winning,
// in the order the keys first appear.
struct EncodedEntry {
    std::string key, value;
    bool stored = false;
};

}  // namespace

IniDocument::IniDocument(std::vector<std::uint8_t> bytes)
    : bytes_(std::move(bytes)), encoding_(DetectIniEncoding(Text())) {}

IniDocument IniDocument::ReadOrEmpty(const std::string& path) {
    try {
        return IniDocument(ReadWholeFile(path));
    } catch (const IoError&) {
        return IniDocument({});
    }
}

IniDocument IniDocument::ReadForUpdate(const std::string& path) {
    if (!FileExists(path)) return IniDocument({});
    return IniDocument(ReadWholeFile(path));
}

std::string_view IniDocument::Text() const {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
}

std::string_view IniDocument::Body() const {
    std::string_view text = Text();
    if (encoding_ == IniEncoding::kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    return text;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key,
                                             std::size_t max_bytes) const {
    const auto file_section = EncodeForIni(section, encoding_);
    const auto file_key = EncodeForIni(key, encoding_);
    if (!file_section || !file_key) return std::nullopt;  // such names cannot be in this file
    const bool cp932 = IsCp932(encoding_);
    const std::string_view body = Body();
    IniLineReader reader(body);
    IniLine line;
    bool in_section = false;
    while (reader.Next(line)) {
        const std::string_view content = body.substr(line.begin, line.end - line.begin);
        const ParsedIniLine parsed = ParseIniLine(content, cp932);
        if (parsed.kind == IniLineKind::kSection) {
            in_section = IniNamesEqual(parsed.name, *file_section, cp932);
        } else if (in_section && parsed.kind == IniLineKind::kKey &&
                   IniNamesEqual(parsed.name, *file_key, cp932)) {
            return DecodeIniValue(content.substr(parsed.value_start), encoding_, max_bytes);
        }
    }
    return std::nullopt;
}

std::string IniDocument::WithEntries(
    std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries) const {
    CheckName(section, "section");
    for (const auto& [key, value] : entries) {
        CheckName(key, "key");
        CheckValue(value);
    }

    // Choose the encoding: the file's own, unless CP932 cannot hold a text.
    IniEncoding encoding = encoding_;
    std::string converted_body;
    std::string_view body = Body();
    const auto fits = [&](std::string_view s) { return EncodeForIni(s, encoding).has_value(); };
    bool all_fit = fits(section);
    for (const auto& [key, value] : entries) all_fit = all_fit && fits(key) && fits(value);
    if (!all_fit) {
        converted_body = Cp932BodyToUtf8(body);
        body = converted_body;
        encoding = IniEncoding::kUtf8Bom;
    }
    const bool cp932 = IsCp932(encoding);
    const std::string file_section = *EncodeForIni(section, encoding);

    std::vector<EncodedEntry> encoded;
    std::unordered_map<std::string, std::size_t> index_of;  // folded key -> encoded index
    for (const auto& [key, value] : entries) {
        std::string file_key = *EncodeForIni(key, encoding);
        std::string file_value = *EncodeForIni(value, encoding);
        const auto [it, fresh] = index_of.emplace(FoldIniName(file_key, cp932), encoded.size());
        if (fresh) encoded.push_back({std::move(file_key), std::move(file_value)});
        else encoded[it->second].value = std::move(file_value);
    }

    // One pass over the lines: replace the keys that exist, note where new ones go.
    std::vector<Splice> splices;
    IniLineReader reader(body);
    IniLine line;
    bool in_section = false;
    bool first_section_open = false;  // inside the first section of that name
    bool section_found = false;
    std::size_t insert_at = body.size();
    while (reader.Next(line)) {
        const std::string_view content = body.substr(line.begin, line.end - line.begin);
        const ParsedIniLine parsed = ParseIniLine(content, cp932);
        if (parsed.kind == IniLineKind::kSection) {
            in_section = IniNamesEqual(parsed.name, file_section, cp932);
            first_section_open = in_section && !section_found;
            if (first_section_open) {
                section_found = true;
                insert_at = line.next;
            }
            continue;
        }
        if (!in_section || parsed.kind != IniLineKind::kKey) continue;
        if (first_section_open) insert_at = line.next;
        const auto it = index_of.find(FoldIniName(parsed.name, cp932));
        if (it == index_of.end() || encoded[it->second].stored) continue;  // later duplicates stay
        EncodedEntry& entry = encoded[it->second];
        entry.stored = true;
        std::string text(content.substr(0, parsed.value_start));  // the name as the file spells it
        text.append(entry.value).append(kLineEnd);
        splices.push_back({line.begin, line.next, std::move(text)});
    }

    std::string added;
    if (!section_found) added.append("[").append(file_section).append("]").append(kLineEnd);
    for (const EncodedEntry& entry : encoded) {
        if (!entry.stored) added.append(entry.key).append("=").append(entry.value).append(kLineEnd);
    }

    std::string out;
    out.reserve(kUtf8Bom.size() + body.size() + added.size() + 64 * splices.size());
    if (encoding == IniEncoding::kUtf8Bom) out.append(kUtf8Bom);
    const std::size_t body_start = out.size();
    std::size_t pos = 0;
    const auto copy_until = [&](std::size_t end) {
        out.append(body.substr(pos, end - pos));
        pos = end;
    };
    const auto insert_added = [&] {
        if (added.empty()) return;
        // A last line without an ending gets one before anything follows it.
        if (out.size() > body_start && out.back() != '\n') out.append(kLineEnd);
        out.append(added);
    };
    bool inserted = false;
    for (const Splice& s : splices) {
        if (!inserted && insert_at <= s.begin) {
            copy_until(insert_at);
            insert_added();
            inserted = true;
        }
        copy_until(s.begin);
        out.append(s.text);
        pos = s.end;
    }
    if (!inserted) {
        copy_until(std::max(insert_at, pos));
        insert_added();
    }
    copy_until(body.size());
    return out;
}

}  // namespace nuthumb
