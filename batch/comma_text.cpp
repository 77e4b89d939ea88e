#include "batch/comma_text.h"

namespace nuthumb {
namespace {

bool IsBlank(char c) { return c >= 1 && c <= 32; }

// Where the text's last UTF-8 character begins (a stray continuation byte counts
// as a character of its own).
std::size_t LastCharacterStart(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t at = text.size() - 1;
    for (int steps = 0; steps < 3 && at > 0; ++steps) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) break;
        --at;
    }
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0xC0) return text.size() - 1;
    return at;
}

// `text` with every pair of double quotes taken as one.
std::string Unquote(std::string_view text) {
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        value.push_back(text[i]);
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') ++i;
    }
    return value;
}

}  // namespace

CommaFields SplitCommaTextChecked(std::string_view line) {
    line = line.substr(0, line.find('\0'));
    CommaFields split;
    std::vector<std::string>& fields = split.fields;
    std::size_t at = 0;
    const auto skip_blanks = [&] {
        while (at < line.size() && IsBlank(line[at])) ++at;
    };

    skip_blanks();
    while (at < line.size()) {
        if (line[at] == '"') {
            std::size_t close = at + 1;
            while (close < line.size() &&
                   !(line[close] == '"' && (close + 1 == line.size() || line[close + 1] != '"')))
                close += line[close] == '"' ? 2 : 1;
            if (close < line.size()) {
                fields.push_back(Unquote(line.substr(at + 1, close - at - 1)));
                at = close + 1;
                // Text right after the closing quote: the quote was inside the value.
                if (at < line.size() && line[at] != ',' && !IsBlank(line[at])) split.quotes_paired = false;
            } else {
                // Unclosed: the line's last character is dropped as if it were the quote.
                const std::size_t end = std::max(at + 1, LastCharacterStart(line));
                fields.push_back(Unquote(line.substr(at + 1, end - at - 1)));
                at = line.size();
                split.quotes_paired = false;
            }
        } else {
            const std::size_t start = at;
            while (at < line.size() && !IsBlank(line[at]) && line[at] != ',') ++at;
            fields.emplace_back(line.substr(start, at - start));
            if (fields.back().find('"') != std::string::npos) split.quotes_paired = false;
        }
        skip_blanks();
        if (at < line.size() && line[at] == ',') {
            if (at + 1 == line.size()) fields.emplace_back();
            ++at;
            skip_blanks();
        }
    }
    return split;
}

std::vector<std::string> SplitCommaText(std::string_view line) { return SplitCommaTextChecked(line).fields; }

}  // namespace nuthumb
