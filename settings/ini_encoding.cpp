#include "settings/ini_encoding.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace nuthumb {
namespace {

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

IniEncoding DetectIniEncoding(std::string_view file_bytes) {
    if (file_bytes.starts_with(kUtf8Bom)) return IniEncoding::kUtf8Bom;
    // Pure ASCII is valid UTF-8 too, but it stays CP932 so that a Japanese value
    // written into it later gets the form every other program expects.
    if (!IsAscii(file_bytes) && IsValidUtf8(file_bytes)) return IniEncoding::kUtf8;
    return IniEncoding::kCp932;
}

std::optional<std::string> EncodeForIni(std::string_view utf8, IniEncoding encoding) {
    if (IsAscii(utf8)) return std::string(utf8);
    if (encoding == IniEncoding::kCp932) return Utf8ToCp932(utf8);
    if (!IsValidUtf8(utf8)) return std::nullopt;
    return std::string(utf8);
}

std::optional<std::string> DecodeIniValue(std::string_view bytes, IniEncoding encoding,
                                          std::size_t max_bytes) {
    if (encoding == IniEncoding::kCp932) {
        bytes = bytes.substr(0, Cp932PrefixLength(bytes, max_bytes));
        if (IsAscii(bytes)) return std::string(bytes);
        return Cp932ToUtf8(bytes);
    }
    bytes = bytes.substr(0, Utf8PrefixLength(bytes, max_bytes));
    if (!IsValidUtf8(bytes)) return std::nullopt;  // possible in a BOM file's kept junk
    return std::string(bytes);
}

std::string Cp932BodyToUtf8(std::string_view body) {
    if (IsAscii(body)) return std::string(body);
    if (auto whole = Cp932ToUtf8(body)) return std::move(*whole);
    // Some line does not decode: convert line by line and keep the ones that fail.
    std::string out;
    out.reserve(body.size() + body.size() / 2);
    std::size_t pos = 0;
    while (pos < body.size()) {
        const std::size_t lf = body.find('\n', pos);
        const std::size_t next = lf == std::string_view::npos ? body.size() : lf + 1;
        const std::string_view line = body.substr(pos, next - pos);
        std::optional<std::string> converted;
        if (!IsAscii(line)) converted = Cp932ToUtf8(line);
        if (converted) out += *converted;
        else out += line;
        pos = next;
    }
    return out;
}

}  // namespace nuthumb
