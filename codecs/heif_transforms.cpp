#include "codecs/heif_transforms.h"

#include <cstring>
#include <span>
#include <string_view>

namespace nuthumb {
namespace {

// A phone's meta box holds a few KiB (a grid's tiles listed); a larger one is
// not looked into, so a lying size cannot make the reader hold much.
constexpr std::uint64_t kMaxMetaBytes = std::uint64_t{4} << 20;
constexpr int kMaxTopLevelBoxes = 32;

// Big-endian fields read in order; a read past the end leaves `ok` false and
// reads zero from then on.
struct Cursor {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    bool ok = true;

    std::uint64_t Read(std::size_t count) {
        if (!ok || bytes.size() - at < count) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[at++];
        return value;
    }
};

struct Box {
    std::string_view type;
    std::span<const std::uint8_t> body;
};

// A box's size (its head included) and the length of its head.
struct BoxHead {
    std::uint64_t size = 0;
    std::size_t header = 0;
};

// The head of the box at c.at, which may take up to `available` bytes (its size
// 0 means all of them); nothing when it is cut or claims more.
std::optional<BoxHead> ReadBoxHead(Cursor& c, std::uint64_t available) {
    const std::size_t start = c.at;
    std::uint64_t size = c.Read(4);
    c.Read(4);  // the type
    if (size == 1) size = c.Read(8);
    if (size == 0) size = available;
    const std::size_t header = c.at - start;
    if (!c.ok || size < header || size > available) return std::nullopt;
    return BoxHead{size, header};
}

// The boxes that fill `bytes`, or nothing when one claims more than there is.
std::optional<std::vector<Box>> Children(std::span<const std::uint8_t> bytes) {
    std::vector<Box> boxes;
    Cursor c{bytes};
    while (c.at < bytes.size()) {
        const std::size_t start = c.at;
        const std::optional<BoxHead> head = ReadBoxHead(c, bytes.size() - start);
        if (!head) return std::nullopt;
        boxes.push_back({{reinterpret_cast<const char*>(bytes.data() + start + 4), 4},
                         bytes.subspan(start + head->header, static_cast<std::size_t>(head->size) - head->header)});
        c.at = start + static_cast<std::size_t>(head->size);
    }
    return boxes;
}

const Box* Find(const std::vector<Box>& boxes, std::string_view type) {
    for (const Box& box : boxes)
        if (box.type == type) return &box;
    return nullptr;
}

// The top-level meta box's body, read from the file.
std::optional<std::vector<std::uint8_t>> ReadMeta(const ByteSource& source) {
    std::uint64_t at = 0;
    for (int i = 0; i < kMaxTopLevelBoxes && at < source.size(); ++i) {
        std::uint8_t head[16];
        const std::size_t got = source.ReadAt(at, head);
        Cursor c{{head, got}};
        const std::optional<BoxHead> box = ReadBoxHead(c, source.size() - at);
        if (!box) return std::nullopt;
        if (std::memcmp(head + 4, "meta", 4) == 0) {
            if (box->size - box->header > kMaxMetaBytes) return std::nullopt;
            std::vector<std::uint8_t> body(static_cast<std::size_t>(box->size - box->header));
            if (source.ReadAt(at + box->header, body) != body.size()) return std::nullopt;
            return body;
        }
        at += box->size;
    }
    return std::nullopt;
}

// The ipco property indices (from 1) that ipma associates with `item`.
std::optional<std::vector<std::size_t>> Associations(const Box& ipma, std::uint32_t item) {
    Cursor c{ipma.body};
    const auto version = c.Read(1);
    const bool wide_index = (c.Read(3) & 1) != 0;
    std::vector<std::size_t> found;
    for (std::uint64_t entries = c.Read(4); c.ok && entries > 0; --entries) {
        const auto id = c.Read(version < 1 ? 2 : 4);
        for (auto count = c.Read(1); c.ok && count > 0; --count) {
            const auto index = c.Read(wide_index ? 2 : 1) & (wide_index ? 0x7FFF : 0x7F);
            if (id == item) found.push_back(static_cast<std::size_t>(index));
        }
    }
    if (!c.ok) return std::nullopt;
    return found;
}

// The clean aperture of a clap box over the coded size, or false for a
// rational with no denominator.
bool ApplyClap(const Box& clap, HeifItemLook& look) {
    Cursor c{clap.body};
    double values[4];
    for (double& value : values) {
        const auto numerator = static_cast<std::int32_t>(c.Read(4));
        const auto denominator = static_cast<std::int32_t>(c.Read(4));
        if (!c.ok || denominator == 0) return false;
        value = static_cast<double>(numerator) / denominator;
    }
    const double left = values[2] + (static_cast<double>(look.coded_width) - values[0]) / 2;
    const double top = values[3] + (static_cast<double>(look.coded_height) - values[1]) / 2;
    look.shown = {left, top, left + values[0], top + values[1]};
    return true;
}

std::optional<HeifItemLook> LookOf(const std::vector<Box>& properties, const std::vector<std::size_t>& indices) {
    HeifItemLook look;
    const Box* clap = nullptr;
    for (const std::size_t index : indices) {
        if (index == 0 || index > properties.size()) continue;
        const Box& property = properties[index - 1];
        Cursor c{property.body};
        if (property.type == "ispe") {
            c.Read(4);  // version and flags
            look.coded_width = static_cast<std::int64_t>(c.Read(4));
            look.coded_height = static_cast<std::int64_t>(c.Read(4));
        } else if (property.type == "irot") {
            look.turns.push_back(static_cast<std::uint16_t>(0x100 | (c.Read(1) & 3)));
        } else if (property.type == "imir") {
            look.turns.push_back(static_cast<std::uint16_t>(0x200 | (c.Read(1) & 1)));
        } else if (property.type == "clap") {
            clap = &property;
        }
        if (!c.ok) return std::nullopt;
    }
    if (look.coded_width <= 0 || look.coded_height <= 0) return std::nullopt;
    look.shown = {0, 0, static_cast<double>(look.coded_width), static_cast<double>(look.coded_height)};
    if (clap && !ApplyClap(*clap, look)) return std::nullopt;
    return look;
}

}  // namespace

std::vector<std::optional<HeifItemLook>> ReadHeifItemLooks(const ByteSource& source,
                                                           std::span<const std::uint32_t> items) {
    std::vector<std::optional<HeifItemLook>> looks(items.size());
    const std::optional<std::vector<std::uint8_t>> meta = ReadMeta(source);
    if (!meta || meta->size() < 4) return looks;
    const auto in_meta = Children(std::span(*meta).subspan(4));  // after version and flags
    const Box* iprp = in_meta ? Find(*in_meta, "iprp") : nullptr;
    const auto in_iprp = iprp ? Children(iprp->body) : std::nullopt;
    const Box* ipco = in_iprp ? Find(*in_iprp, "ipco") : nullptr;
    const Box* ipma = in_iprp ? Find(*in_iprp, "ipma") : nullptr;
    const auto properties = ipco ? Children(ipco->body) : std::nullopt;
    if (!properties || !ipma) return looks;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto indices = Associations(*ipma, items[i]);
        if (indices) looks[i] = LookOf(*properties, *indices);
    }
    return looks;
}

}  // namespace nuthumb
