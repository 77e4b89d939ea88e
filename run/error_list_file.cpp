#include "run/error_list_file.h"

#include "platform/direct_write.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/program_folder.h"
#include "platform/text_codec.h"

namespace nuthumb {

std::string ErrorListFilePath() { return JoinPath(ProgramFolder(), "NuThumb.Err"); }

std::string ComposeErrorListFile(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
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
