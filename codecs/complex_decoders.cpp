// Loaded with nuthumb_complex_codecs (linked whole, so that this file is not
// left out for want of a caller): installs the complex rows' decoders.
#include "codecs/complex_rows.h"
#include "codecs/heif_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/raw_reader.h"

namespace nuthumb {
namespace {

template <const char* kName>
Decoded DecodeHeifNamed(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    return DecodeHeif(source, kName, request, options);
}
constexpr char kHeic[] = "HEIC";
constexpr char kAvif[] = "AVIF";

[[maybe_unused]] const bool kInstalled = [] {
    InstallComplexDecoder(ImageFormat::kHeic, DecodeHeifNamed<kHeic>);
    InstallComplexDecoder(ImageFormat::kAvif, DecodeHeifNamed<kAvif>);
    InstallComplexDecoder(ImageFormat::kJxl, DecodeJxl);
    InstallComplexDecoder(ImageFormat::kRaw, DecodeRaw);
    return true;
}();

}  // namespace
}  // namespace nuthumb
