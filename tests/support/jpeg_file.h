#pragma once
// Test-only ways into the JPEG decoder: over a file's bytes that the test hands
// over, and the nearest thumbnail by its size alone.
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "codecs/jpeg_decoder.h"
#include "image/load_thumbnail.h"
#include "pixels/nearest_map.h"
#include "pixels/scaler.h"
#include "platform/byte_source.h"

namespace nuthumb::test {

// A JPEG decoder that keeps the bytes it decodes.
class JpegFile {
public:
    void ReadHeader(std::vector<std::uint8_t> file, DecodeOptions options = {}, bool read_orientation = false,
                    bool read_profile = false) {
        decoder_.reset();
        file_ = std::move(file);
        source_.emplace(file_);
        decoder_ = std::make_unique<JpegDecoder>(*source_, std::move(options), read_orientation, read_profile);
    }
    // Over a source the caller keeps alive.
    void ReadHeader(const ByteSource& source, DecodeOptions options = {}, bool read_orientation = false,
                    bool read_profile = false) {
        decoder_ = std::make_unique<JpegDecoder>(source, std::move(options), read_orientation, read_profile);
    }
    JpegDecoder* operator->() { return decoder_.get(); }
    // The nearest-neighbour thumbnail of width x height, as a run without a turn
    // makes it.
    Image DecodeThumbnail(std::int32_t width, std::int32_t height) {
        CheckThumbnailSize(width, height);
        return decoder_->DecodeSampled(NearestMap(decoder_->width(), width), NearestMap(decoder_->height(), height));
    }

private:
    std::vector<std::uint8_t> file_;
    std::optional<MemoryBytes> source_;
    std::unique_ptr<JpegDecoder> decoder_;
};

// The image LoadThumbnail gives, upright.
inline Image LoadImage(const ByteSource& source, ImageFormat format, const Conversion& conversion,
                       const DecodeOptions& options = {}) {
    return LoadThumbnail(source, format, conversion, options).image;
}

}  // namespace nuthumb::test
