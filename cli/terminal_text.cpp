#include "cli/terminal_text.h"

#include <unistd.h>

#include "platform/text_codec.h"

namespace nuthumb {
namespace {

// Length of the well-formed UTF-8 character at the start of `text`; 0 when its
// first byte starts none.
std::size_t CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (length > text.size() || (length == 1 && lead >= 0x80)) return 0;
    return IsValidUtf8(text.substr(0, length)) ? length : 0;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    constexpr std::string_view kNamed = "abtnvfr";  // bytes 7 to 13
    out.push_back('\\');
    if (byte >= 7 && byte <= 13) {
        out.push_back(kNamed[byte - 7]);
        return;
    }
    out.push_back(static_cast<char>('0' + (byte >> 6)));
    out.push_back(static_cast<char>('0' + ((byte >> 3) & 7)));
    out.push_back(static_cast<char>('0' + (byte & 7)));
}

bool IsC1Control(std::string_view character) {
    return character.size() == 2 && static_cast<unsigned char>(character[0]) == 0xC2 &&
           static_cast<unsigned char>(character[1]) < 0xA0;
}

}  // namespace

std::string TerminalText(std::string_view text, bool escape) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, 2) == "\r\n") {
            out.push_back('\n');
            i += 2;
            continue;
        }
        if (!escape) {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t length = CharacterLength(text.substr(i));
        const auto byte = static_cast<unsigned char>(text[i]);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            AppendEscaped(out, byte);
            ++i;
        } else if (IsC1Control(text.substr(i, length))) {
            for (std::size_t k = 0; k < length; ++k) AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            i += length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string ForStdout(std::string_view text) {
    static const bool terminal = ::isatty(STDOUT_FILENO);
    return TerminalText(text, terminal);
}

std::string ForStderr(std::string_view text) {
    static const bool terminal = ::isatty(STDERR_FILENO);
    return TerminalText(text, terminal);
}

}  // namespace nuthumb
