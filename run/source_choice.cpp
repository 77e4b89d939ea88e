#include "run/source_choice.h"

#include "codecs/codec_table.h"

namespace nuthumb {

bool IsReadableExtension(std::string_view extension) { return FormatOfExtension(extension).has_value(); }

bool ListsExtension(SourceChoice choice, std::string_view extension) {
    return choice ? NamesFormat(extension, *choice) : IsReadableExtension(extension);
}

}  // namespace nuthumb
