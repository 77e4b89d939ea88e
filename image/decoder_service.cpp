#include "image/decoder_service.h"

#include <malloc.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <new>
#include <stdexcept>

#include "codecs/codec_table.h"
#include "image/decode_plan.h"
#include "image/decoder_messages.h"
#include "platform/helper_channel.h"
#include "platform/sandbox.h"

namespace nuthumb {
namespace {

// A read of the source failed; the program puts it into words.
struct ReadFailed : std::runtime_error {
    explicit ReadFailed(int e) : std::runtime_error("read failed"), error(e) {}
    int error;
};

// The source the program opened and passed along, read only as far as the size
// it had then, as the program's own SourceFile reads it.
class PassedSource final : public ByteSource {
public:
    PassedSource(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

    std::uint64_t size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset >= size_) return 0;
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
        std::size_t done = 0;
        while (done < wanted) {
            const ssize_t n = ::pread(fd_.get(), out.data() + done, wanted - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            // The program words the failure, with the source's name.
            if (n < 0) throw ReadFailed(errno);
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

private:
    UniqueFd fd_;
    std::uint64_t size_;
};

void Decode(int socket, int statm, const DecodeJob& job, UniqueFd source_fd) {
    const PassedSource source(std::move(source_fd), job.source_size);
    DecodeOptions options;
    options.read_every_scan = job.read_every_scan;
    options.reserve_memory = [socket, statm](std::uint64_t bytes, const DecodeOptions&) {
        SendMessage(socket, DecoderMessage::kReserve, EncodeReserve({bytes, WritableBytes(statm)}));
        std::vector<std::uint8_t> body;
        if (ReceiveMessage(socket, body).kind != DecoderMessage::kGranted) throw DecoderProtocolError();
    };
    FailureNote failure;
    try {
        const Decoded decoded = CodecOf(job.format).decode(source, RequestOfConversion(job.conversion), options);
        SendMessage(socket, DecoderMessage::kImage, EncodeImageHead(decoded), decoded.image.pixels,
             decoded.image.file_bytes);
        return;
    } catch (const ChannelClosed&) {
        throw;
    } catch (const DecoderProtocolError&) {
        throw ChannelClosed();
    } catch (const std::bad_alloc&) {
        failure = {FailureKind::kOutOfMemory, {}};
    } catch (const ReadFailed& e) {
        failure = {FailureKind::kUnreadable, std::to_string(e.error)};
    } catch (const std::exception& e) {
        failure = {FailureKind::kDamaged, e.what()};
    }
    SendMessage(socket, DecoderMessage::kFailure, EncodeFailure(failure));
}

void SayIdle(int socket, int statm) {
    SendMessage(socket, DecoderMessage::kIdle, EncodeIdle({kDecoderProtocol, WritableBytes(statm)}));
}

}  // namespace

void ServeDecodes(int socket, int statm) {
    SayIdle(socket, statm);
    for (;;) {
        std::vector<std::uint8_t> body;
        UniqueFd source;
        const MessageHead head = ReceiveMessage(socket, body, {}, &source);
        if (head.kind != DecoderMessage::kDecode || !source) return;  // not a program of this build
        Decode(socket, statm, ParseJob(body), std::move(source));
        // What the decode freed goes back to the system, so that the program
        // sets the next file's limit from what the helper really keeps.
        ::malloc_trim(0);
        SayIdle(socket, statm);
    }
}

}  // namespace nuthumb
