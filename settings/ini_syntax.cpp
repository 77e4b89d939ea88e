#include "settings/ini_syntax.h"

#include "platform/text_codec.h"

namespace nuthumb {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Position of `wanted` (an ASCII byte) from `from` on, skipping the second bytes
// of CP932 characters; npos when absent.
std::size_t FindChar(std::string_view s, char wanted, std::size_t from, bool cp932) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == wanted) return i;
        if (cp932 && IsCp932Lead(s[i])) ++i;
    }
    return std::string_view::npos;
}

}  // namespace

bool IniLineReader::Next(IniLine& line) {
    if (pos_ >= text_.size()) return false;
    line.begin = pos_;
    const std::size_t lf = text_.find('\n', pos_);
    if (lf == std::string_view::npos) {
        line.end = line.next = text_.size();
    } else {
        line.next = lf + 1;
        line.end = (lf > pos_ && text_[lf - 1] == '\r') ? lf - 1 : lf;
    }
    pos_ = line.next;
    return true;
}

ParsedIniLine ParseIniLine(std::string_view content, bool cp932) {
    ParsedIniLine parsed;
    std::size_t start = 0;
    while (start < content.size() && IsBlank(content[start])) ++start;
    if (start < content.size() && content[start] == '[') {
        const std::size_t close = FindChar(content, ']', start + 1, cp932);
        if (close != std::string_view::npos) {
            parsed.kind = IniLineKind::kSection;
            parsed.name = TrimBlanks(content.substr(start + 1, close - start - 1));
            return parsed;
        }
    }
    const std::size_t eq = content.find('=');
    if (eq != std::string_view::npos) {
        parsed.kind = IniLineKind::kKey;
        parsed.name = TrimBlanks(content.substr(0, eq));
        parsed.value_start = eq + 1;
    }
    return parsed;
}

bool IniNamesEqual(std::string_view a, std::string_view b, bool cp932) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (cp932 && IsCp932Lead(a[i])) {
            if (a[i] != b[i]) return false;
            if (++i < a.size() && a[i] != b[i]) return false;
        } else if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string FoldIniName(std::string_view name, bool cp932) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (cp932 && IsCp932Lead(out[i])) ++i;
        else out[i] = LowerAscii(out[i]);
    }
    return out;
}

}  // namespace nuthumb
