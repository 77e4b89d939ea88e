#include "cli/batch_file.h"

#include <string_view>

#include "batch/comma_text.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"

namespace nuthumb {
namespace {

// Bytes that decode to nothing travel as escapes, like those of a settings file.
std::string DecodeText(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return DecodeCp932(bytes);
}

}  // namespace

std::vector<std::string> ReadBatchFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    const std::string text =
        DecodeText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));

    std::vector<std::string> entries;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!SplitCommaText(line).empty()) entries.emplace_back(line);
    }
    return entries;
}

}  // namespace nuthumb
