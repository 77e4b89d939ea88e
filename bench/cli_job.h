#pragma once
// The command line's job (RunJob, as nuthumb-cli runs it after reading its
// options) in a child process of its own, for the benchmarks that measure it
// in process: 160 px high JPEG thumbnails (quality 90) of one folder's files.
// As in the programs, the complex formats decode in helper processes.
#include <functional>
#include <string>

#include "bench/bench_util.h"
#include "cli/cli_options.h"
#include "cli/exit_status.h"
#include "cli/run_job.h"
#include "image/contained_decode.h"
#include "tests/support/child_process.h"

namespace nuthumb::bench {

// The child's time and peak memory, ok when the job finished with every file
// made. `adjust` sets the options a benchmark compares.
inline Measure RunCliJob(const std::string& folder, ImageFormat format, const std::string& out,
                         const std::function<void(CliOptions&)>& adjust) {
    const test::ChildEnd end = test::RunChild({.prepare = Silenced}, [&] {
        ContainComplexDecoders(DecoderProgram());
        CliOptions options;
        options.src_dir = folder;
        options.dst_dir = out;
        options.src_format = format;
        options.dst_format = ImageFormat::kJpeg;
        options.size = 160;
        options.basis = Basis::kHeight;
        options.quality = kDefaultJpegQuality;
        options.quiet = true;
        adjust(options);
        return std::to_string(RunJob(options));
    });
    return {end.seconds, end.peak_kib, end.exit_code == 0 && end.report == std::to_string(kExitFinished)};
}

}  // namespace nuthumb::bench
