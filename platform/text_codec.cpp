#include "platform/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace nuthumb {
namespace {

// One iconv descriptor for one conversion; closed on every path.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    ~IconvHandle() {
        if (valid()) ::iconv_close(cd_);
    }
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Converts `in` onto the end of `out`. At a byte that starts no convertible
// character, `on_bad(byte)` decides: true steps over that one byte and goes on,
// false gives up. Returns false when it gave up or iconv lacks the conversion.
template <class OnBad>
bool Convert(const IconvHandle& cd, std::string_view in, std::string& out, OnBad on_bad) {
    if (!cd.valid()) return false;
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    std::size_t used = out.size();
    // CP932 <-> UTF-8 grows a text at most 3/2 times (an escape 4 times a byte);
    // start there and grow when needed.
    out.resize(used + in.size() * 2 + 16);
    while (src_left > 0) {
        char* dst = out.data() + used;
        std::size_t dst_left = out.size() - used;
        const std::size_t r = ::iconv(cd.get(), &src, &src_left, &dst, &dst_left);
        used = out.size() - dst_left;
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: `src` is at the byte that starts no character.
        out.resize(used);
        if (!on_bad(static_cast<unsigned char>(*src))) return false;
        ++src;
        --src_left;
        used = out.size();
        out.resize(used + src_left * 2 + 16);
    }
    out.resize(used);
    return true;
}

void AppendEscape(std::string& out, unsigned char byte) {
    const char32_t cp = kByteEscapeBase + byte;
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// Length of the well-formed UTF-8 character at `i`; 0 when none starts there.
std::size_t Utf8CharLength(std::string_view s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    std::size_t len;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
    else return 0;
    if (s.size() - i < len) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

// The byte an escape at `i` stands for (escapes are the only characters from F4 8D
// B2 80 to F4 8D B3 BF), or -1.
int EscapedByteAt(std::string_view s, std::size_t i) {
    if (s.size() - i < 4 || s[i] != '\xF4' || s[i + 1] != '\x8D') return -1;
    const auto third = static_cast<unsigned char>(s[i + 2]);
    const auto fourth = static_cast<unsigned char>(s[i + 3]);
    if ((third != 0xB2 && third != 0xB3) || (fourth & 0xC0) != 0x80) return -1;
    return 0x80 | ((third & 1) << 6) | (fourth & 0x3F);
}

// The text with every escape replaced by the byte it stands for.
std::string UnescapeBytes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const int byte = EscapedByteAt(text, i);
        if (byte < 0) {
            out += text[i++];
        } else {
            out += static_cast<char>(byte);
            i += 4;
        }
    }
    return out;
}

bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
    if (IsAscii(bytes)) return std::string(bytes);
    const IconvHandle cd("UTF-8", "CP932");
    std::string out;
    const auto escape = [&out](unsigned char byte) {
        AppendEscape(out, byte);
        return true;
    };
    if (!Convert(cd, bytes, out, escape)) {
        // No CP932 converter at all: every non-ASCII byte is kept as an escape.
        out.clear();
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) out += c;
            else AppendEscape(out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

std::optional<std::string> EncodeCp932(std::string_view text) {
    if (!IsValidUtf8(text)) return std::nullopt;
    if (IsAscii(text)) return std::string(text);
    const IconvHandle cd("CP932", "UTF-8");
    const auto refuse = [](unsigned char) { return false; };
    std::string out;
    std::size_t run = 0;  // start of the text not yet converted
    for (std::size_t i = 0; i < text.size();) {
        const int byte = EscapedByteAt(text, i);
        if (byte < 0) {
            ++i;
            continue;
        }
        if (!Convert(cd, text.substr(run, i - run), out, refuse)) return std::nullopt;
        out += static_cast<char>(byte);
        i += 4;
        run = i;
    }
    if (!Convert(cd, text.substr(run), out, refuse)) return std::nullopt;
    // Only a text that reads back as itself may go out as CP932.
    if (DecodeCp932(out) != text) return std::nullopt;
    return out;
}

std::string DecodeUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 16);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = Utf8CharLength(bytes, i);
        if (len == 0) {
            AppendEscape(out, static_cast<unsigned char>(bytes[i++]));
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

std::string EncodeUtf8(std::string_view text) {
    if (!IsValidUtf8(text)) return std::string(text);
    std::string raw = UnescapeBytes(text);
    // Escaped bytes side by side can form a character (C3 A9 is "é"); such a text
    // keeps its escapes, which a UTF-8 file holds as they are.
    if (raw.size() == text.size() || DecodeUtf8(raw) != text) return std::string(text);
    return raw;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = Utf8CharLength(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t len = std::max<std::size_t>(Utf8CharLength(text, i), 1);
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

bool IsCp932Lead(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t limit) {
    if (bytes.size() <= limit) return bytes.size();
    // Lead bytes can also be trail bytes, so walk forward from the start.
    std::size_t i = 0;
    while (i < limit) {
        const bool pair = IsCp932Lead(bytes[i]) && i + 1 < bytes.size() &&
                          IsCp932Trail(static_cast<unsigned char>(bytes[i + 1]));
        const std::size_t len = pair ? 2 : 1;
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

}  // namespace nuthumb
