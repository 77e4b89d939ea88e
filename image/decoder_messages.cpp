#include "image/decoder_messages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

#include "platform/helper_channel.h"

namespace nuthumb {
namespace {

constexpr std::size_t kMaxFailureText = 1024;

class Writer {
public:
    template <class T>
    Writer& Put(T value) {
        static_assert(std::is_integral_v<T>);
        std::array<std::uint8_t, sizeof value> raw{};
        std::memcpy(raw.data(), &value, sizeof value);
        bytes_.insert(bytes_.end(), raw.begin(), raw.end());
        return *this;
    }
    Writer& Text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    std::vector<std::uint8_t> Done() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    template <class T>
    T Get() {
        T value;
        if (bytes_.size() - at_ < sizeof value) throw DecoderProtocolError();
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // An enumeration whose values run from 0 (or `low`) to `high`.
    template <class E>
    E Choice(std::uint32_t high, std::uint32_t low = 0) {
        const auto value = Get<std::uint32_t>();
        if (value < low || value > high) throw DecoderProtocolError();
        return static_cast<E>(value);
    }
    std::string Rest() {
        std::string text(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), bytes_.end());
        at_ = bytes_.size();
        return text;
    }
    void End() const {
        if (at_ != bytes_.size()) throw DecoderProtocolError();
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

std::uint32_t U(bool flag) { return flag ? 1 : 0; }

constexpr bool SoundDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::vector<std::uint8_t> EncodeHead(MessageHead head) {
    return Writer().Put(static_cast<std::uint32_t>(head.kind)).Put(head.length).Done();
}

MessageHead ParseHead(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    MessageHead head;
    head.kind = in.Choice<DecoderMessage>(static_cast<std::uint32_t>(DecoderMessage::kFailure), 1);
    head.length = in.Get<std::uint32_t>();
    in.End();
    if (head.length > kMaxMessageBody) throw DecoderProtocolError();
    return head;
}

void SendMessage(int socket, DecoderMessage kind, std::span<const std::uint8_t> body,
                 std::span<const std::uint8_t> pixels, std::span<const std::uint8_t> file_bytes, int descriptor) {
    const std::vector<std::uint8_t> head = EncodeHead({kind, static_cast<std::uint32_t>(body.size())});
    SendParts(socket, {head, body, pixels, file_bytes}, descriptor);
}

MessageHead ReceiveMessage(int socket, std::vector<std::uint8_t>& body, const std::function<void()>& between_waits,
                           UniqueFd* passed) {
    std::array<std::uint8_t, kMessageHeadBytes> head_bytes{};
    ReceiveExactly(socket, head_bytes, between_waits, passed);
    const MessageHead head = ParseHead(head_bytes);
    body.resize(head.length);
    ReceiveExactly(socket, body, between_waits);
    return head;
}

std::vector<std::uint8_t> EncodeIdle(const IdleNote& note) {
    return Writer().Put(note.protocol).Put(note.writable_bytes).Done();
}

IdleNote ParseIdle(std::span<const std::uint8_t> body) {
    Reader in(body);
    IdleNote note{in.Get<std::uint32_t>(), in.Get<std::uint64_t>()};
    in.End();
    return note;
}

// The whole conversion travels, not only what today's decode reads, so that
// a field the plan comes to use can never be left at its default in the helper.
std::vector<std::uint8_t> EncodeJob(const DecodeJob& job) {
    const Conversion& c = job.conversion;
    return Writer()
        .Put(static_cast<std::uint32_t>(job.format))
        .Put(job.source_size)
        .Put(U(job.read_every_scan))
        .Put(static_cast<std::uint32_t>(c.target_format))
        .Put(c.size)
        .Put(static_cast<std::uint32_t>(c.basis))
        .Put(U(c.resize))
        .Put(U(c.photo.auto_orient))
        .Put(c.photo.quality)
        .Put(static_cast<std::uint32_t>(c.photo.filter))
        .Put(U(c.photo.keep_dates))
        .Put(U(c.photo.to_srgb))
        .Put(static_cast<std::uint32_t>(c.photo.previews))
        .Put(static_cast<std::uint32_t>(c.box))
        .Put(c.box_width)
        .Put(c.box_height)
        .Put(U(c.enlarge))
        .Done();
}

DecodeJob ParseJob(std::span<const std::uint8_t> body) {
    Reader in(body);
    DecodeJob job;
    const auto format = [&in] { return static_cast<ImageFormat>(static_cast<std::int8_t>(in.Get<std::uint32_t>())); };
    const auto flag = [&in] { return in.Get<std::uint32_t>() != 0; };
    job.format = format();
    job.source_size = in.Get<std::uint64_t>();
    job.read_every_scan = flag();
    Conversion& c = job.conversion;
    c.target_format = format();
    c.size = in.Get<std::int32_t>();
    c.basis = in.Choice<Basis>(static_cast<std::uint32_t>(Basis::kNone));
    c.resize = flag();
    c.photo.auto_orient = flag();
    c.photo.quality = in.Get<std::int32_t>();
    c.photo.filter = in.Choice<ScaleFilter>(static_cast<std::uint32_t>(ScaleFilter::kArea));
    c.photo.keep_dates = flag();
    c.photo.to_srgb = flag();
    c.photo.previews = in.Choice<PreviewUse>(static_cast<std::uint32_t>(PreviewUse::kNever));
    c.box = in.Choice<BoxFit>(static_cast<std::uint32_t>(BoxFit::kFill));
    c.box_width = in.Get<std::int32_t>();
    c.box_height = in.Get<std::int32_t>();
    c.enlarge = flag();
    in.End();
    return job;
}

std::vector<std::uint8_t> EncodeReserve(const ReserveNote& note) {
    return Writer().Put(note.bytes).Put(note.writable_bytes).Done();
}

ReserveNote ParseReserve(std::span<const std::uint8_t> body) {
    Reader in(body);
    ReserveNote note{in.Get<std::uint64_t>(), in.Get<std::uint64_t>()};
    in.End();
    return note;
}

std::vector<std::uint8_t> EncodeImageHead(const Decoded& decoded) {
    const Image& image = decoded.image;
    Writer out;
    out.Put(image.width).Put(image.height).Put(U(image.top_down)).Put(image.bits_per_pixel).Put(image.compression);
    out.Put(U(image.alpha)).Put(image.masks[0]).Put(image.masks[1]).Put(image.masks[2]).Put(image.colors_important);
    out.Put(static_cast<std::uint32_t>(image.damage)).Put(decoded.turn).Put(U(decoded.progressive));
    out.Put(static_cast<std::uint64_t>(image.pixels.size())).Put(static_cast<std::uint64_t>(image.file_bytes.size()));
    out.Put(static_cast<std::uint32_t>(image.palette.size()));
    for (const PaletteEntry& p : image.palette) out.Put(p.blue).Put(p.green).Put(p.red).Put(p.reserved);
    return out.Done();
}

ImageHead ParseImageHead(std::span<const std::uint8_t> body) {
    Reader in(body);
    ImageHead head;
    Image& image = head.decoded.image;
    image.width = in.Get<std::int32_t>();
    image.height = in.Get<std::int32_t>();
    image.top_down = in.Get<std::uint32_t>() != 0;
    image.bits_per_pixel = in.Get<std::uint16_t>();
    image.compression = in.Get<std::uint32_t>();
    image.alpha = in.Get<std::uint32_t>() != 0;
    for (std::uint32_t& mask : image.masks) mask = in.Get<std::uint32_t>();
    image.colors_important = in.Get<std::uint32_t>();
    image.damage = in.Choice<SourceDamage>(static_cast<std::uint32_t>(SourceDamage::kCorruptData));
    head.decoded.turn = in.Get<Orientation>();
    head.decoded.progressive = in.Get<std::uint32_t>() != 0;
    head.pixel_bytes = in.Get<std::uint64_t>();
    head.file_bytes = in.Get<std::uint64_t>();
    const auto colours = in.Get<std::uint32_t>();
    if (colours > 256) throw DecoderProtocolError();
    image.palette.resize(colours);
    for (PaletteEntry& p : image.palette)
        p = {in.Get<std::uint8_t>(), in.Get<std::uint8_t>(), in.Get<std::uint8_t>(), in.Get<std::uint8_t>()};
    in.End();
    const bool sound = image.width >= 0 && image.height >= 0 &&
                       std::uint64_t(image.width) * std::uint64_t(image.height) <= kMaxPixels &&
                       SoundDepth(image.bits_per_pixel) && (image.compression == 0 || image.compression == 3) &&
                       head.decoded.turn >= 1 && head.decoded.turn <= 8 &&
                       head.pixel_bytes == image.stride() * std::uint64_t(image.height);
    if (!sound) throw DecoderProtocolError();
    return head;
}

std::vector<std::uint8_t> EncodeFailure(const FailureNote& note) {
    const std::string_view text(note.text.data(), std::min(note.text.size(), kMaxFailureText));
    return Writer().Put(static_cast<std::uint32_t>(note.kind)).Text(text).Done();
}

FailureNote ParseFailure(std::span<const std::uint8_t> body) {
    Reader in(body);
    FailureNote note;
    note.kind = in.Choice<FailureKind>(static_cast<std::uint32_t>(FailureKind::kOutOfMemory), 1);
    note.text = in.Rest();
    return note;
}

}  // namespace nuthumb
