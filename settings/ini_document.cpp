#include "settings/ini_document.h"

#include <algorithm>
#include <unordered_map>

#include "platform/text_codec.h"
#include "settings/ini_syntax.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsCp932(IniEncoding e) { return e == IniEncoding::kCp932; }

// `what` is the kind of name, in the user's language.
void CheckName(std::string_view name, const char* what) {
    const bool blank_edge = !name.empty() && (name.front() == ' ' || name.front() == '\t' ||
                                              name.back() == ' ' || name.back() == '\t');
    if (name.empty() || blank_edge || name.find_first_of("=[]\r\n") != std::string_view::npos ||
        !IsValidUtf8(name))
        throw IniValueError(Fill(Tr("{}名「{}」は保存できません"), {what, name}));
}

void CheckValue(std::string_view value) {
    if (std::string fault = ValueFault(value); !fault.empty()) throw IniValueError(fault);
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
    std::string_view text;  // the value as given, to recognise one already stored
    bool stored = false;
};

std::vector<EncodedEntry> EncodeEntries(const std::vector<std::pair<std::string, std::string>>& entries,
                                        IniEncoding encoding) {
    const bool cp932 = IsCp932(encoding);
    std::vector<EncodedEntry> encoded;
    std::unordered_map<std::string, std::size_t> index_of;  // folded key -> index
    for (const auto& [key, value] : entries) {
        std::string file_key = *EncodeForIni(key, encoding);
        std::string file_value = *EncodeForIni(value, encoding);
        const auto [it, fresh] = index_of.emplace(FoldIniName(file_key, cp932), encoded.size());
        if (fresh) {
            encoded.push_back({std::move(file_key), std::move(file_value), value});
        } else {
            encoded[it->second].value = std::move(file_value);
            encoded[it->second].text = value;
        }
    }
    return encoded;
}

// One pass over the lines: a splice for every key that exists, then one that
// inserts the new keys after the last key of the section's first occurrence, or
// the section itself at the end of the file.
std::vector<Splice> PlanSplices(std::string_view body, IniEncoding encoding, std::string_view file_section,
                                std::vector<EncodedEntry>& encoded) {
    const bool cp932 = IsCp932(encoding);
    std::unordered_map<std::string, std::size_t> index_of;
    for (std::size_t i = 0; i < encoded.size(); ++i) index_of.emplace(FoldIniName(encoded[i].key, cp932), i);

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
        // A value that already reads as the text keeps its bytes: nothing the user
        // did not change is rewritten, whatever bytes the file used to spell it.
        if (DecodeIniValue(content.substr(parsed.value_start), encoding) == entry.text) continue;
        std::string text(content.substr(0, parsed.value_start));  // the name as the file spells it
        text.append(entry.value).append(kLineEnd);
        splices.push_back({line.begin, line.next, std::move(text)});
    }

    std::string added;
    if (!section_found) added.append("[").append(file_section).append("]").append(kLineEnd);
    for (const EncodedEntry& entry : encoded) {
        if (!entry.stored) added.append(entry.key).append("=").append(entry.value).append(kLineEnd);
    }
    if (!added.empty()) splices.push_back({insert_at, insert_at, std::move(added)});
    // The insertion point ends a key line or the section line, so it never falls
    // inside a replaced line.
    std::stable_sort(splices.begin(), splices.end(),
                     [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
    return splices;
}

// The bytes of a file whose body (after any byte-order mark) is `body` in
// `encoding`, with the entries stored; every text is known to fit the encoding.
std::string Compose(std::string_view body, IniEncoding encoding, std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<EncodedEntry> encoded = EncodeEntries(entries, encoding);
    const std::vector<Splice> splices =
        PlanSplices(body, encoding, *EncodeForIni(section, encoding), encoded);

    std::string out;
    std::size_t extra = 0;
    for (const Splice& s : splices) extra += s.text.size() + kLineEnd.size();
    out.reserve(kUtf8Bom.size() + body.size() + extra);
    if (encoding == IniEncoding::kUtf8Bom) out.append(kUtf8Bom);
    const std::size_t body_start = out.size();
    std::size_t pos = 0;
    for (const Splice& s : splices) {
        out.append(body.substr(pos, s.begin - pos));
        // A last line without an ending gets one before anything follows it.
        if (out.size() > body_start && out.back() != '\n') out.append(kLineEnd);
        out.append(s.text);
        pos = s.end;
    }
    out.append(body.substr(pos));
    return out;
}

}  // namespace

std::string ValueFault(std::string_view value) {
    // A line break would end the line early and turn the rest into other keys.
    if (value.find_first_of("\r\n") != std::string_view::npos) return Tr("改行を含む値は保存できません");
    if (!IsValidUtf8(value)) return Tr("UTF-8 のテキストでない値は保存できません");
    // Anything longer would read back cut.
    if (value.size() > kMaxIniValueBytes) return Tr("64 KiB を超える値は保存できません");
    return {};
}

IniDocument::IniDocument(std::vector<std::uint8_t> bytes)
    : bytes_(std::move(bytes)), encoding_(DetectIniEncoding(Text())) {}

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
    CheckName(section, Tr("セクション"));
    for (const auto& [key, value] : entries) {
        CheckName(key, Tr("キー"));
        CheckValue(value);
    }
    const auto fits = [&](std::string_view s) { return EncodeForIni(s, encoding_).has_value(); };
    bool all_fit = fits(section);
    for (const auto& [key, value] : entries) all_fit = all_fit && fits(key) && fits(value);
    if (all_fit) {
        std::string out = Compose(Body(), encoding_, section, entries);
        if (ReadsBackIn(out, encoding_)) return out;
    }
    // The file's encoding cannot hold the texts: the whole file moves to UTF-8 with
    // the mark, which holds any text and any kept byte.
    const std::string body = encoding_ == IniEncoding::kCp932 ? Cp932BodyToUtf8(Body()) : std::string(Body());
    return Compose(body, IniEncoding::kUtf8Bom, section, entries);
}

}  // namespace nuthumb
