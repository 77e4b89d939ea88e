#include "batch/batch_log.h"

namespace nuthumb {

std::string ShownLogLine(std::size_t index, std::string_view shown_ending) {
    return Fill(Tr("NO {}{}"), {std::to_string(index), shown_ending});
}

}  // namespace nuthumb
