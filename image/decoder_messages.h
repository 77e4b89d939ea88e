#pragma once
// The messages between a program and its decoder helper (nuthumb-decoder), on
// one machine, so in its byte order. Each is a head (kind, length) and a body;
// an image's pixels follow its body. What the helper sends is read as hostile:
// every field is checked before it is used.
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "image/conversion.h"
#include "platform/unique_fd.h"

namespace nuthumb {

// Changes whenever a message changes, so that a program never talks to a
// helper of another build.
inline constexpr std::uint32_t kDecoderProtocol = 2;

// How the helper ends when it cannot go on (besides 0, told to end, and the
// signals that end it): its memory limit hit where no exception can be caught,
// or its sandbox refused by the system.
inline constexpr int kDecoderExitOutOfMemory = 3;
inline constexpr int kDecoderExitNoSandbox = 4;

// The most a sound decode asks of the memory budget: the largest source and
// every buffer of the largest picture, with room to spare.
inline constexpr std::uint64_t kMaxDecodeBytes = (std::uint64_t{1} << 30) * 16;

enum class DecoderMessage : std::uint32_t {
    kIdle = 1,  // helper: ready for a decode; its protocol and its writable memory
    kDecode,    // program: decode the source passed along (DecodeJob)
    kReserve,   // helper: the decode needs this much memory; it waits for kGranted
    kGranted,   // program: go on
    kImage,     // helper: the decoded image (ImageHead), its pixels after it
    kFailure,   // helper: the decode failed (FailureKind, text)
};

struct MessageHead {
    DecoderMessage kind{};
    std::uint32_t length = 0;  // of the body
};
inline constexpr std::size_t kMessageHeadBytes = 8;
// No body is longer: a helper that says otherwise is not believed.
inline constexpr std::uint32_t kMaxMessageBody = 16 * 1024;

// A message from the helper that breaks the protocol.
class DecoderProtocolError : public std::runtime_error {
public:
    DecoderProtocolError() : std::runtime_error("decoder protocol") {}
};

std::vector<std::uint8_t> EncodeHead(MessageHead head);
MessageHead ParseHead(std::span<const std::uint8_t> bytes);

// Sends a whole message: its head, its body, and what follows an image's body
// (its pixels and file bytes), with `descriptor` (unless -1) passed along.
void SendMessage(int socket, DecoderMessage kind, std::span<const std::uint8_t> body,
                 std::span<const std::uint8_t> pixels = {}, std::span<const std::uint8_t> file_bytes = {},
                 int descriptor = -1);
// The next message's head; its body goes to `body`, a descriptor passed along
// to `passed`. `between_waits` is ReceiveExactly's.
MessageHead ReceiveMessage(int socket, std::vector<std::uint8_t>& body,
                           const std::function<void()>& between_waits = {}, UniqueFd* passed = nullptr);

struct IdleNote {
    std::uint32_t protocol = 0;
    std::uint64_t writable_bytes = 0;  // what the helper holds between decodes
};
std::vector<std::uint8_t> EncodeIdle(const IdleNote& note);
IdleNote ParseIdle(std::span<const std::uint8_t> body);

// One decode: the source's format and size (the source itself travels as a
// descriptor) and what the conversion asks of the decoder.
struct DecodeJob {
    ImageFormat format = ImageFormat::kBmp;
    std::uint64_t source_size = 0;
    Conversion conversion;
    bool read_every_scan = false;
    bool operator==(const DecodeJob&) const = default;
};
std::vector<std::uint8_t> EncodeJob(const DecodeJob& job);
DecodeJob ParseJob(std::span<const std::uint8_t> body);

struct ReserveNote {
    std::uint64_t bytes = 0;           // asked of the memory budget
    std::uint64_t writable_bytes = 0;  // what the helper holds as it asks
};
std::vector<std::uint8_t> EncodeReserve(const ReserveNote& note);
ReserveNote ParseReserve(std::span<const std::uint8_t> body);

// A decoded image without its pixel bytes and file bytes, which follow the
// message in that order: `image` holds everything else, the two vectors empty.
struct ImageHead {
    Decoded decoded;
    std::uint64_t pixel_bytes = 0, file_bytes = 0;
};
std::vector<std::uint8_t> EncodeImageHead(const Decoded& decoded);
// Throws DecoderProtocolError for an image no decoder makes: a depth, a size
// beyond the pixel limit, a pixel count that does not match its rows.
ImageHead ParseImageHead(std::span<const std::uint8_t> body);

enum class FailureKind : std::uint32_t {
    kDamaged = 1,  // LoadError: the file
    kUnreadable,   // reading the source (the text is the errno, in decimal)
    kOutOfMemory,  // the helper's memory limit
};
struct FailureNote {
    FailureKind kind = FailureKind::kDamaged;
    std::string text;
};
std::vector<std::uint8_t> EncodeFailure(const FailureNote& note);
FailureNote ParseFailure(std::span<const std::uint8_t> body);

}  // namespace nuthumb
