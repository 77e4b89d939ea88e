#pragma once
// The decoders of the codec table's complex rows (libheif with its HEVC and AV1
// decoders, libjxl) are large parsers of untrusted containers: the programs run
// them in helper processes (nuthumb-decoder), where a crash, a runaway
// allocation or a hang costs that one file, never the run. Helpers are kept
// between files, one for each decode running at once, so a folder of phone
// photos starts them once; one that stopped is replaced for the next file.
#include <memory>
#include <string>
#include <vector>

#include "image/decoder_helper.h"
#include "platform/mutex.h"

namespace nuthumb {

class DecoderHelpers {
public:
    explicit DecoderHelpers(std::string program, DecoderLimits limits = {});
    DecoderHelpers(const DecoderHelpers&) = delete;
    DecoderHelpers& operator=(const DecoderHelpers&) = delete;
    ~DecoderHelpers();

    // Decodes `source` as `format` in a helper, as the format's row would in this
    // process (DecoderHelper::Decode), starting a helper when none is idle. A
    // helper that ended while it was idle (killed from outside) is replaced
    // without costing the file. Any thread may call it.
    Decoded Decode(const SourceFile& source, ImageFormat format, const Conversion& conversion,
                   const DecodeOptions& options) EXCLUDES(mutex_);

private:
    std::unique_ptr<DecoderHelper> TakeIdle() EXCLUDES(mutex_);
    void KeepIdle(std::unique_ptr<DecoderHelper> helper) EXCLUDES(mutex_);

    const std::string program_;
    const DecoderLimits limits_;
    Mutex mutex_;
    std::vector<std::unique_ptr<DecoderHelper>> idle_ GUARDED_BY(mutex_);
};

// The helper of the running program: in kDecoderFolderFromPrograms from its
// folder (installed, and in the build tree), else beside it (a program folder
// copied whole).
std::string DecoderProgram();

// From now on the complex rows of every LoadThumbnail of a file decode in
// helpers running `program`. The programs call it once, first thing, before any
// thread starts; the tests and fuzz targets that do not decode in process.
void ContainComplexDecoders(const std::string& program);

// The helpers that decode `format`, or nothing when it decodes in process (a
// simple row, or no helpers set up).
DecoderHelpers* HelpersFor(ImageFormat format);

}  // namespace nuthumb
