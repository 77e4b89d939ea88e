#include "image/decoder_helper.h"

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "platform/file_io.h"
#include "platform/helper_channel.h"
#include "platform/io_failure.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

using Clock = std::chrono::steady_clock;

// Thrown by the watch or on the helper's word; it ends the helper.
struct Overrun {
    std::string reason;
};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::string CpuReason(const DecoderLimits& limits) {
    return Fill(Tr("CPU 時間の上限 {} 秒を超えました"), {std::to_string(limits.cpu_seconds)});
}

std::string MemoryReason(std::uint64_t allowance) {
    return Fill(Tr("メモリの上限 {} MiB に達しました"), {std::to_string(allowance >> 20)});
}

// How an ended helper ended, in words.
std::string EndReason(HelperEnd end, const DecoderLimits& limits, std::uint64_t allowance) {
    if (end.signalled && end.code == SIGXCPU) return CpuReason(limits);
    if (end.signalled) {
        const char* name = ::sigabbrev_np(end.code);
        const std::string signal = name ? "SIG" + std::string(name) : std::to_string(end.code);
        return Fill(Tr("シグナル {} で終了しました"), {signal});
    }
    if (end.code == kDecoderExitOutOfMemory) return MemoryReason(allowance);
    if (end.code == kDecoderExitNoSandbox) return Tr("隔離された環境を用意できませんでした");
    return Fill(Tr("終了コード {} で終了しました"), {std::to_string(end.code)});
}

// The error number a helper sent as text.
int ErrnoOf(const std::string& text) {
    int error = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), error);
    if (problem != std::errc() || end != text.data() + text.size() || error <= 0) throw DecoderProtocolError();
    return error;
}

}  // namespace

// Called between the waits for the helper: ends the wait when the caller asks
// to stop, and the helper when it has used its processor time (should its
// limit not end it first) or has neither answered nor worked for too long.
class DecoderHelper::Watch {
public:
    Watch(const HelperProcess& process, const DecoderLimits& limits, const DecodeOptions& options)
        : process_(process), limits_(limits), options_(options), start_cpu_(process.CpuSeconds()) {
        Restart();
    }

    void operator()() {
        options_.ThrowIfStopRequested();
        const Clock::time_point now = Clock::now();
        if (now < next_look_) return;
        next_look_ = now + std::chrono::seconds(1);
        const double cpu = process_.CpuSeconds();
        if (cpu - start_cpu_ > limits_.cpu_seconds + 2) throw Overrun{CpuReason(limits_)};
        if (cpu > last_cpu_ + 0.01) {
            last_cpu_ = cpu;
            last_change_ = now;
        } else if (now - last_change_ > std::chrono::seconds(limits_.silent_seconds)) {
            throw Overrun{Fill(Tr("{} 秒間応答がありません"), {std::to_string(limits_.silent_seconds)})};
        }
    }

    // After a wait of this process's own (for memory): the helper waited too.
    void Restart() {
        last_change_ = next_look_ = Clock::now();
        last_cpu_ = process_.CpuSeconds();
    }

private:
    const HelperProcess& process_;
    const DecoderLimits& limits_;
    const DecodeOptions& options_;
    const double start_cpu_;
    double last_cpu_ = 0;
    Clock::time_point last_change_, next_look_;
};

DecoderHelper::DecoderHelper(const std::string& program, const DecoderLimits& limits, const DecodeOptions& options)
try : limits_(limits), process_(program) {
    Watch watch(process_, limits_, options);
    Guarded([&] { ReceiveIdle(watch); });
    startup_bytes_ = idle_bytes_;
} catch (const IoError& error) {
    throw DecoderStopped(Fill(Tr(kDecoderStopped), {Fill(Tr("起動できません: {}"), {error.what()})}));
}

Decoded DecoderHelper::Decode(const SourceFile& source, const DecodeJob& job, const DecodeOptions& options) {
    healthy_ = false;  // until it says it is idle again
    Watch watch(process_, limits_, options);
    return Guarded([&] { return Converse(source, job, options, watch); });
}

template <class F>
auto DecoderHelper::Guarded(F&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const Overrun& overrun) {
        Stop(overrun.reason);
    } catch (const ChannelClosed&) {
        Stop(EndReason(process_.Kill(), limits_, allowance_));
    } catch (const DecoderProtocolError&) {
        Stop(Tr("意味をなさない応答を返しました"));
    } catch (const DecodeCancelled&) {
        process_.Kill();
        throw;
    }
}

void DecoderHelper::Stop(const std::string& reason) {
    process_.Kill();
    healthy_ = false;
    throw DecoderStopped(Fill(Tr(kDecoderStopped), {reason}));
}

Decoded DecoderHelper::Converse(const SourceFile& source, const DecodeJob& job, const DecodeOptions& options,
                                Watch& watch) {
    LimitMemory(idle_bytes_, limits_.before_reservation);
    const auto cpu_used = static_cast<std::uint64_t>(std::ceil(process_.CpuSeconds()));
    process_.SetSoftLimit(RLIMIT_CPU, cpu_used + static_cast<std::uint64_t>(limits_.cpu_seconds));
    try {
        SendMessage(process_.socket(), DecoderMessage::kDecode, EncodeJob(job), {}, {}, source.descriptor());
    } catch (const ChannelClosed&) {
        ended_while_idle_ = true;
        throw;
    }
    std::uint64_t reserved = 0;
    std::vector<std::uint8_t> body;
    for (;;) {
        switch (ReceiveHead(body, watch).kind) {
            case DecoderMessage::kReserve: {
                const ReserveNote note = ParseReserve(body);
                // One question per decode, of a size a sound decode can ask.
                if (reserved != 0 || note.bytes > kMaxDecodeBytes) throw DecoderProtocolError();
                options.ReserveMemory(note.bytes);
                reserved = std::max<std::uint64_t>(note.bytes, 1);
                // It cannot hold more than its limit let it; it may say so.
                const std::uint64_t held = std::min(note.writable_bytes, SaturatingAdd(idle_bytes_, allowance_));
                LimitMemory(held, SaturatingAdd(note.bytes, limits_.beyond_reservation));
                watch.Restart();
                SendMessage(process_.socket(), DecoderMessage::kGranted, {});
                break;
            }
            case DecoderMessage::kImage: {
                Decoded decoded = ReceiveImage(body, reserved, watch);
                ReceiveIdle(watch);
                return decoded;
            }
            case DecoderMessage::kFailure: {
                const FailureNote note = ParseFailure(body);
                if (note.kind == FailureKind::kOutOfMemory) throw Overrun{MemoryReason(allowance_)};
                ReceiveIdle(watch);  // a file it refused leaves it well
                if (note.kind == FailureKind::kUnreadable) ThrowErrno(kCannotRead, source.path(), ErrnoOf(note.text));
                throw LoadError(note.text);
            }
            default:
                throw DecoderProtocolError();
        }
    }
}

MessageHead DecoderHelper::ReceiveHead(std::vector<std::uint8_t>& body, Watch& watch) {
    return ReceiveMessage(process_.socket(), body, [&watch] { watch(); });
}

void DecoderHelper::ReceiveIdle(Watch& watch) {
    std::vector<std::uint8_t> body;
    if (ReceiveHead(body, watch).kind != DecoderMessage::kIdle) throw DecoderProtocolError();
    const IdleNote note = ParseIdle(body);
    if (note.protocol != kDecoderProtocol) throw Overrun{Tr("このプログラムの別の版のものです")};
    idle_bytes_ = note.writable_bytes;
    // One that keeps much more than it started with (what a decode left behind)
    // is ended, and the next file gets a fresh one.
    healthy_ = startup_bytes_ == 0 || idle_bytes_ <= SaturatingAdd(startup_bytes_, limits_.before_reservation);
    if (!healthy_) process_.Kill();
}

Decoded DecoderHelper::ReceiveImage(std::span<const std::uint8_t> body, std::uint64_t reserved, Watch& watch) {
    ImageHead head = ParseImageHead(body);
    // A sound decode's image is part of the memory it asked for.
    if (head.file_bytes > reserved || head.pixel_bytes > reserved - head.file_bytes) throw DecoderProtocolError();
    const std::function<void()> between = [&watch] { watch(); };
    Image& image = head.decoded.image;
    image.pixels.resize(head.pixel_bytes);
    ReceiveExactly(process_.socket(), image.pixels, between);
    image.file_bytes.resize(head.file_bytes);
    ReceiveExactly(process_.socket(), image.file_bytes, between);
    return std::move(head.decoded);
}

void DecoderHelper::LimitMemory(std::uint64_t base, std::uint64_t allowance) {
    allowance_ = allowance;
    process_.SetSoftLimit(RLIMIT_DATA, SaturatingAdd(base, allowance));
}

}  // namespace nuthumb
