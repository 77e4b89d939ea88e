#include "platform/text_codec.h"

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

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    IconvHandle cd(to, from);
    if (!cd.valid()) return std::nullopt;
    std::string out;
    // CP932 <-> UTF-8 grows a text at most 3/2 times; start there and grow if needed.
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    std::size_t used = 0;
    while (src_left > 0) {
        char* dst = out.data() + used;
        std::size_t dst_left = out.size() - used;
        const std::size_t r = ::iconv(cd.get(), &src, &src_left, &dst, &dst_left);
        used = out.size() - dst_left;
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            return std::nullopt;  // EILSEQ or EINVAL: not representable or cut short
        }
        // glibc counts irreversible conversions; those would lose text.
        if (r != 0) return std::nullopt;
    }
    out.resize(used);
    return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
    return Convert("UTF-8", "CP932", bytes);
}

std::optional<std::string> Utf8ToCp932(std::string_view text) {
    if (!IsValidUtf8(text)) return std::nullopt;
    return Convert("CP932", "UTF-8", text);
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) { ++i; continue; }
        std::size_t len;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
        else return false;
        if (n - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t cut = limit;
    // Step back over continuation bytes to the start of the character at `cut`.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t limit) {
    if (bytes.size() <= limit) return bytes.size();
    // Lead bytes can also be trail bytes, so walk forward from the start.
    std::size_t i = 0;
    while (i < limit) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const std::size_t len = lead ? 2 : 1;
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

}  // namespace nuthumb
