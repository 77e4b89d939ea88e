#include "codecs/complex_rows.h"

#include <array>
#include <string>

#include "codecs/codec_table.h"
#include "pixels/load_error.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// Indexed by the stored item; set while the process loads, read afterwards.
std::array<RowDecode, 16> installed{};

}  // namespace

void InstallComplexDecoder(ImageFormat format, RowDecode decode) {
    const auto item = static_cast<std::size_t>(format);
    if (item < installed.size()) installed[item] = decode;
}

Decoded DecodeComplex(ImageFormat format, const ByteSource& source, const DecodeRequest& request,
                      const DecodeOptions& options) {
    const auto item = static_cast<std::size_t>(format);
    const RowDecode decode = item < installed.size() ? installed[item] : nullptr;
    if (!decode) throw LoadError(std::string(CodecOf(format).label) + ": " + Tr("このプログラムにはこの形式のデコーダがありません"));
    return decode(source, request, options);
}

}  // namespace nuthumb
