#pragma once
// Which encoding a settings file is in, and moving names and values between the
// program's UTF-8 and the file's bytes. Bytes that decode in neither encoding
// travel as escapes (platform/text_codec.h) and go back into the file unchanged.
#include <optional>
#include <string>
#include <string_view>

namespace nuthumb {

enum class IniEncoding {
    kCp932,    // the traditional form, also for new files and pure ASCII
    kUtf8,     // valid UTF-8 with at least one non-ASCII character, no BOM
    kUtf8Bom,  // starts with the UTF-8 byte-order mark
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

IniEncoding DetectIniEncoding(std::string_view file_bytes);

// True when a file composed in `encoding` is read in that encoding again: CP932
// bytes can happen to form valid UTF-8 ("ﾃｩ" is C3 A9, "é"), and a UTF-8 file
// without the mark that holds a kept undecodable byte would read as CP932.
bool ReadsBackIn(std::string_view file_bytes, IniEncoding encoding);

// Text in the file's encoding; nullopt when the encoding cannot give it back
// exactly (CP932 for a character it lacks or maps one way) or it is not UTF-8.
std::optional<std::string> EncodeForIni(std::string_view text, IniEncoding encoding);

// A stored value as text, cut first to at most `max_bytes` bytes of the file's
// encoding without halving a character. Bytes that do not decode come through as
// escapes, so a value that is in the file is never read as missing.
std::string DecodeIniValue(std::string_view bytes, IniEncoding encoding,
                           std::size_t max_bytes = std::string_view::npos);

// A CP932 file body (without BOM) re-encoded as UTF-8; every line reads back as
// the text it held, undecodable bytes included.
std::string Cp932BodyToUtf8(std::string_view body);

}  // namespace nuthumb
