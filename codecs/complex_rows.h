#pragma once
// The decoders of the codec table's complex rows (libheif with its HEVC and AV1
// decoders, libjxl, LibRaw) are a library of their own, nuthumb_complex_codecs,
// linked only where they run in this process: the decoder helper, the tests, the
// fuzz targets and the benchmarks. The programs decode those formats in the
// helper alone and leave the libraries out, whose loading and start-up work took
// about 11 ms of every start. The library installs its decoders as it loads.
#include "codecs/codec.h"
#include "codecs/image_format.h"

namespace nuthumb {

using RowDecode = Decoded (*)(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);

// Makes `decode` the in-process decoder of a complex row. Before any thread starts.
void InstallComplexDecoder(ImageFormat format, RowDecode decode);

// The installed decoder's result; LoadError when this process has none for `format`.
Decoded DecodeComplex(ImageFormat format, const ByteSource& source, const DecodeRequest& request,
                      const DecodeOptions& options);

}  // namespace nuthumb
