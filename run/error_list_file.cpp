#include "run/error_list_file.h"

#include <filesystem>
#include <system_error>

#include "platform/direct_write.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/program_folder.h"
#include "platform/text_codec.h"

namespace nuthumb {
namespace {

constexpr std::string_view kUriScheme = "file://";

// The bytes a path names on disk: the escapes that stand for bytes of a folder
// text read from a file (U+10DC80..U+10DCFF, F4 8D B2|B3 xx) become those bytes.
std::string PathBytes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (text.size() - i >= 4 && at(0) == 0xF4 && at(1) == 0x8D && (at(2) == 0xB2 || at(2) == 0xB3) &&
            (at(3) & 0xC0) == 0x80) {
            bytes.push_back(static_cast<char>(0x80 + ((at(2) & 1) << 6) + (at(3) & 0x3F)));
            i += 3;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

bool IsUriSafe(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

}  // namespace

bool NeedsFileUri(std::string_view line) {
    return line.find_first_of("\r\n") != std::string_view::npos || !IsValidUtf8(line) || line.starts_with("file:");
}

std::string FileUri(std::string_view path) {
    std::string absolute;
    if (!path.starts_with('/')) {
        std::error_code ec;
        absolute = std::filesystem::current_path(ec).string();
        if (!absolute.ends_with('/')) absolute.push_back('/');
    }
    absolute += PathBytes(path);
    std::string uri(kUriScheme);
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : absolute) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUriSafe(c)) {
            uri.push_back(ch);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 0xF]);
        }
    }
    return uri;
}

std::string ErrorListLine(std::string_view line) { return NeedsFileUri(line) ? FileUri(line) : std::string(line); }

std::string ErrorListFilePath() { return JoinPath(ProgramFolder(), "NuThumb.Err"); }

std::string ComposeErrorListFile(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(ErrorListLine(line)).append("\r\n");
    if (std::optional<std::string> cp932 = EncodeCp932(text)) return std::move(*cp932);
    return "\xEF\xBB\xBF" + EncodeUtf8(text);
}

std::optional<std::string> WriteErrorListFile(const std::string& path,
                                              const std::vector<std::string>& lines) {
    try {
        WriteFileOrDevice(path, std::string_view(ComposeErrorListFile(lines)));
        return std::nullopt;
    } catch (const IoError& error) {
        return std::string(error.what());
    }
}

}  // namespace nuthumb
