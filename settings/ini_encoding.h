#pragma once
// Which encoding a settings file is in, and moving names and values between the
// program's UTF-8 and the file's bytes. Only the texts that are read or written
// are converted, so bytes that decode in no encoding survive untouched.
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

// UTF-8 text in the file's encoding; nullopt when CP932 cannot hold it.
std::optional<std::string> EncodeForIni(std::string_view utf8, IniEncoding encoding);

// A stored value as UTF-8, cut first to at most `max_bytes` bytes of the file's
// encoding without halving a character; nullopt when the bytes do not decode.
std::optional<std::string> DecodeIniValue(std::string_view bytes, IniEncoding encoding,
                                          std::size_t max_bytes);

// A CP932 file body (without BOM) re-encoded as UTF-8. A line that is not valid
// CP932 keeps its bytes as they are: kept junk beats lost junk.
std::string Cp932BodyToUtf8(std::string_view body);

}  // namespace nuthumb
