// Feeds arbitrary bytes to the EXIF Orientation reader, as an APP1 payload and, so
// that the fuzzer spends its time in the TIFF fields, behind the "Exif" header.
// Every answer must be one of the eight orientations.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using nuthumb::ExifOrientation;
    const std::vector<std::uint8_t> payload(data, data + size);  // exactly sized: any overread is caught
    std::vector<std::uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
    exif.insert(exif.end(), data, data + size);
    for (const auto& bytes : {payload, exif}) {
        const int orientation = ExifOrientation(bytes);
        if (orientation < 1 || orientation > 8) std::abort();
    }
    return 0;
}
