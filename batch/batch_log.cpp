#include "batch/batch_log.h"

namespace nuthumb {

std::string TranslatedLogLine(const std::string& line) {
    for (const std::string_view ending : {kBatchLogStarted, kBatchLogFinished, kBatchLogNoSourceFile,
                                          kBatchLogCancelled, kBatchLogDataError}) {
        if (line.size() > ending.size() && line.ends_with(ending) && line.starts_with("NO ")) {
            // Each ending is a whole literal, so its view ends at the literal's NUL.
            std::string out = line.substr(0, line.size() - ending.size());
            out += Tr(ending.data());
            return out;
        }
    }
    return line;
}

}  // namespace nuthumb
