#include "codecs/codec_failure.h"

#include <string>

#include "platform/translate.h"

namespace nuthumb {

LoadError DamagedData(std::string_view format, std::string_view detail) {
    std::string reason = Fill(Tr("{} のデータが壊れています"), {format});
    if (!detail.empty()) reason = Fill(Tr("{}（{}）"), {reason, detail});
    return LoadError(std::string(format) + ": " + reason);
}

LoadError CutShort(std::string_view format) {
    return LoadError(std::string(format) + ": " + Tr("ファイルが途中で切れています"));
}

}  // namespace nuthumb
