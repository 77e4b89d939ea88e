#pragma once
// Camera RAW files for the tests, made here rather than taken from cameras: a
// little-endian TIFF with the DNG tags LibRaw needs, one uncompressed 16-bit raw
// image in IFD0 (a 2x2 RGGB colour filter mosaic, or linear RGB), and each
// preview as a JPEG in a sub-IFD of its own. The camera's colour matrix is
// sRGB's and its white balance neutral, so a develop gives back the picture.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nuthumb::test {

struct DngPreview {
    std::vector<std::uint8_t> jpeg;  // the whole JPEG file
    int width = 0, height = 0;       // as the sub-IFD declares them
};

struct DngSpec {
    int width = 0, height = 0;
    // The scene's linear light, 0..65535, for x, y and channel 0 red .. 2 blue.
    std::function<std::uint16_t(int x, int y, int c)> light;
    bool mosaic = true;  // a colour filter mosaic; false: linear RGB
    int orientation = 1;  // the TIFF Orientation tag, 1..8
    std::vector<DngPreview> previews;
};

namespace dng_detail {

enum Type : std::uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSRational = 10 };

struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::vector<std::uint8_t> data;
};

inline void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Entry Numbers(std::uint16_t tag, Type type, std::vector<std::int64_t> values) {
    const int size = type == kByte ? 1 : type == kShort ? 2 : 4;
    Entry e{tag, type, static_cast<std::uint32_t>(values.size()), {}};
    if (type == kRational || type == kSRational) e.count /= 2;  // numerator, denominator pairs
    for (const std::int64_t v : values) Put(e.data, static_cast<std::uint32_t>(v), size);
    return e;
}

inline Entry Text(std::uint16_t tag, const std::string& text) {
    Entry e{tag, kAscii, static_cast<std::uint32_t>(text.size() + 1), {text.begin(), text.end()}};
    e.data.push_back(0);
    return e;
}

// Appends the IFD (its long values first) and returns where it starts.
inline std::uint32_t WriteIfd(std::vector<std::uint8_t>& out, std::vector<Entry> entries) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    std::vector<std::uint32_t> places;
    for (const Entry& e : entries) {
        if (out.size() % 2) out.push_back(0);
        places.push_back(static_cast<std::uint32_t>(out.size()));
        if (e.data.size() > 4) out.insert(out.end(), e.data.begin(), e.data.end());
    }
    if (out.size() % 2) out.push_back(0);
    const auto start = static_cast<std::uint32_t>(out.size());
    Put(out, static_cast<std::uint32_t>(entries.size()), 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        Put(out, e.tag, 2), Put(out, e.type, 2), Put(out, e.count, 4);
        if (e.data.size() > 4) {
            Put(out, places[i], 4);
        } else {
            out.insert(out.end(), e.data.begin(), e.data.end());
            for (std::size_t pad = e.data.size(); pad < 4; ++pad) out.push_back(0);
        }
    }
    Put(out, 0, 4);  // no next IFD
    return start;
}

inline std::uint32_t Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    if (out.size() % 2) out.push_back(0);
    const auto start = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
    return start;
}

}  // namespace dng_detail

inline std::vector<std::uint8_t> MakeDng(const DngSpec& spec) {
    using namespace dng_detail;
    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 0, 0, 0, 0};
    const int samples = spec.mosaic ? 1 : 3;
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < spec.height; ++y)
        for (int x = 0; x < spec.width; ++x)
            for (int c = 0; c < samples; ++c)
                Put(raw, spec.light(x, y, spec.mosaic ? (y % 2) + (x % 2) : c), 2);  // R G / G B
    const std::uint32_t raw_at = Append(out, raw);

    std::vector<std::int64_t> sub_ifds;
    for (const DngPreview& p : spec.previews) {
        const std::uint32_t at = Append(out, p.jpeg);
        sub_ifds.push_back(WriteIfd(
            out, {Numbers(254, kLong, {1}), Numbers(256, kLong, {p.width}), Numbers(257, kLong, {p.height}),
                  Numbers(258, kShort, {8, 8, 8}), Numbers(259, kShort, {7}), Numbers(262, kShort, {6}),
                  Numbers(273, kLong, {at}), Numbers(277, kShort, {3}), Numbers(278, kLong, {p.height}),
                  Numbers(279, kLong, {static_cast<std::int64_t>(p.jpeg.size())}), Numbers(284, kShort, {1})}));
    }
    // sRGB's matrix from XYZ (D65), as the camera's: its develop is sRGB itself.
    std::vector<Entry> ifd0 = {
        Numbers(254, kLong, {0}), Numbers(256, kLong, {spec.width}), Numbers(257, kLong, {spec.height}),
        Numbers(258, kShort, std::vector<std::int64_t>(samples, 16)), Numbers(259, kShort, {1}),
        Numbers(262, kShort, {spec.mosaic ? 32803 : 34892}), Text(271, "NuThumb"), Text(272, "Test DNG"),
        Numbers(273, kLong, {raw_at}), Numbers(274, kShort, {spec.orientation}), Numbers(277, kShort, {samples}),
        Numbers(278, kLong, {spec.height}), Numbers(279, kLong, {static_cast<std::int64_t>(raw.size())}),
        Numbers(284, kShort, {1}), Numbers(50706, kByte, {1, 4, 0, 0}), Text(50708, "NuThumb Test DNG"),
        Numbers(50717, kLong, {65535}),
        Numbers(50721, kSRational, {32406, 10000, -15372, 10000, -4986, 10000, -9689, 10000, 18758, 10000, 415,
                                    10000, 557, 10000, -2040, 10000, 10570, 10000}),
        Numbers(50728, kRational, {1, 1, 1, 1, 1, 1}), Numbers(50778, kShort, {21})};
    if (spec.mosaic) {
        ifd0.push_back(Numbers(33421, kShort, {2, 2}));
        ifd0.push_back(Numbers(33422, kByte, {0, 1, 1, 2}));
    }
    if (!sub_ifds.empty()) ifd0.push_back(Numbers(330, kLong, sub_ifds));
    const std::uint32_t first = WriteIfd(out, ifd0);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(first >> (8 * i));
    return out;
}

}  // namespace nuthumb::test
