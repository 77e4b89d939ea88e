#include "image/contained_decode.h"

#include <unistd.h>

#include <utility>

#include "codecs/codec_table.h"
#include "platform/executable_path.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/version.h"

namespace nuthumb {
namespace {

// Set once before any thread starts, read by every decoding thread.
DecoderHelpers* contained = nullptr;

}  // namespace

DecoderHelpers::DecoderHelpers(std::string program, DecoderLimits limits)
    : program_(std::move(program)), limits_(limits) {}

// The idle helpers are ended as they go.
DecoderHelpers::~DecoderHelpers() = default;

std::unique_ptr<DecoderHelper> DecoderHelpers::TakeIdle() {
    MutexLock lock(mutex_);
    if (idle_.empty()) return nullptr;
    std::unique_ptr<DecoderHelper> helper = std::move(idle_.back());
    idle_.pop_back();
    return helper;
}

void DecoderHelpers::KeepIdle(std::unique_ptr<DecoderHelper> helper) {
    if (!helper->healthy()) return;  // ended already; going costs nothing
    MutexLock lock(mutex_);
    idle_.push_back(std::move(helper));
}

Decoded DecoderHelpers::Decode(const SourceFile& source, ImageFormat format, const Conversion& conversion,
                               const DecodeOptions& options) {
    const DecodeJob job{format, source.size(), conversion, options.read_every_scan};
    for (int attempt = 0;; ++attempt) {
        std::unique_ptr<DecoderHelper> helper = TakeIdle();
        if (!helper) helper = std::make_unique<DecoderHelper>(program_, limits_, options);
        try {
            Decoded decoded = helper->Decode(source, job, options);
            KeepIdle(std::move(helper));
            return decoded;
        } catch (const DecoderStopped&) {
            if (helper->ended_while_idle() && attempt == 0) continue;
            throw;
        } catch (...) {
            KeepIdle(std::move(helper));  // a file it refused, or a stop: kept only when well
            throw;
        }
    }
}

std::string DecoderProgram() {
    std::string folder;
    try {
        folder = DirectoryPart(ExecutablePath());
    } catch (const IoError&) {
        // Unknown: the path named in the failure of each file is the usual one.
    }
    const std::string installed = folder + "/" + std::string(kDecoderFolderFromPrograms) + "/nuthumb-decoder";
    const std::string beside = folder + "/nuthumb-decoder";
    return ::access(installed.c_str(), X_OK) != 0 && ::access(beside.c_str(), X_OK) == 0 ? beside : installed;
}

void ContainComplexDecoders(const std::string& program) {
    static DecoderHelpers helpers(program);
    contained = &helpers;
}

DecoderHelpers* HelpersFor(ImageFormat format) { return CodecOf(format).complex ? contained : nullptr; }

}  // namespace nuthumb
