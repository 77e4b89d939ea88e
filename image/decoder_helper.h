#pragma once
// One decoder helper process (nuthumb-decoder) as the program sees it: started,
// handed one decode at a time, watched while it works, and killed the moment it
// crashes, overruns a limit, goes silent, talks nonsense or is no longer wanted
// (it goes with this object).
#include <cstdint>
#include <string>

#include "codecs/codec.h"
#include "image/decoder_messages.h"
#include "pixels/decode_options.h"
#include "pixels/load_error.h"
#include "platform/helper_process.h"
#include "platform/source_file.h"
#include "platform/translate.h"

namespace nuthumb {

inline constexpr char kDecoderStopped[] = N_("デコーダが停止しました: {}");

// A decode that ended because its helper stopped: it crashed, hit a limit, gave
// no answer, or could not be started. what() says so in the user's language
// ("デコーダが停止しました: …"). Like any LoadError, it fails that one file.
class DecoderStopped : public LoadError {
public:
    using LoadError::LoadError;
};

struct DecoderLimits {
    // Writable memory a decode may take beyond what its helper holds between
    // files before it has told the memory budget what it needs (while it reads
    // the headers), and beyond what it told.
    std::uint64_t before_reservation = std::uint64_t{64} << 20;
    std::uint64_t beyond_reservation = std::uint64_t{64} << 20;
    // Processor time of one decode.
    int cpu_seconds = 60;
    // A decode that neither answers nor uses the processor for this long is
    // given up (a helper stuck in a wait).
    int silent_seconds = 30;
};

class DecoderHelper {
public:
    // Starts `program` and waits until it is ready; `options` may stop the wait.
    // Throws DecoderStopped (it cannot be started, or ends at once) or
    // DecodeCancelled.
    DecoderHelper(const std::string& program, const DecoderLimits& limits, const DecodeOptions& options);
    DecoderHelper(const DecoderHelper&) = delete;
    DecoderHelper& operator=(const DecoderHelper&) = delete;

    // Decodes `source` as `job` says; memory is asked of `options` as the helper
    // asks for it. Throws LoadError or IoError (naming the source) as the codec
    // row would in this process; DecoderStopped; DecodeCancelled when `options`
    // asks to stop, the helper then killed at once. Afterwards healthy() says
    // whether the helper may take another file.
    Decoded Decode(const SourceFile& source, const DecodeJob& job, const DecodeOptions& options);
    // Whether it is idle and may take a file: false after any failure of its own
    // (it is then already ended).
    bool healthy() const { return healthy_; }
    // Whether the helper has ended since it went idle; such a helper never had
    // the file it was sent.
    bool ended_while_idle() const { return ended_while_idle_; }

private:
    class Watch;
    // Runs `work`, ending the helper on a failure of its own: the reason goes
    // into a DecoderStopped; a stop request kills it and goes on as it came.
    template <class F>
    auto Guarded(F&& work) -> decltype(work());
    Decoded Converse(const SourceFile& source, const DecodeJob& job, const DecodeOptions& options, Watch& watch);
    void ReceiveIdle(Watch& watch);
    MessageHead ReceiveHead(std::vector<std::uint8_t>& body, Watch& watch);
    Decoded ReceiveImage(std::span<const std::uint8_t> body, std::uint64_t reserved, Watch& watch);
    void LimitMemory(std::uint64_t base, std::uint64_t allowance);
    [[noreturn]] void Stop(const std::string& reason);

    const DecoderLimits& limits_;
    HelperProcess process_;
    std::uint64_t startup_bytes_ = 0; // the writable memory it held when it started
    std::uint64_t idle_bytes_ = 0;    // and holds between files
    std::uint64_t allowance_ = 0;     // what its decode may take beyond that, now
    bool healthy_ = false;
    bool ended_while_idle_ = false;
};

}  // namespace nuthumb
