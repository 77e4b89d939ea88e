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

bool ReadsBackIn(std::string_view file_bytes, IniEncoding encoding) {
    const IniEncoding detected = DetectIniEncoding(file_bytes);
    // A UTF-8 file that has become pure ASCII reads the same as CP932.
    return detected == encoding || (encoding == IniEncoding::kUtf8 && IsAscii(file_bytes));
}

std::optional<std::string> EncodeForIni(std::string_view text, IniEncoding encoding) {
    if (IsAscii(text)) return std::string(text);
    if (encoding == IniEncoding::kCp932) return EncodeCp932(text);
    if (!IsValidUtf8(text)) return std::nullopt;
    return EncodeUtf8(text);
}

std::string DecodeIniValue(std::string_view bytes, IniEncoding encoding, std::size_t max_bytes) {
    if (encoding == IniEncoding::kCp932) return DecodeCp932(bytes.substr(0, Cp932PrefixLength(bytes, max_bytes)));
    return DecodeUtf8(bytes.substr(0, Utf8PrefixLength(bytes, max_bytes)));
}

std::string Cp932BodyToUtf8(std::string_view body) {
    if (IsAscii(body)) return std::string(body);
    // Decoding the whole body splits it exactly as decoding each line would: a line
    // feed is never the second byte of a character.
    const std::string text = DecodeCp932(body);
    std::string out;
    out.reserve(text.size());
    // Line by line, so that one line whose undecodable bytes must stay escaped
    // (EncodeUtf8) leaves the others their raw bytes.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
        out += EncodeUtf8(std::string_view(text).substr(pos, next - pos));
        pos = next;
    }
    return out;
}

}  // namespace nuthumb
