// nuthumb-cli: one folder run or a batch through the engine, for scripts and for
// machines without a display.
#include <csignal>
#include <variant>

#include "cli/cli_options.h"
#include "cli/interrupt.h"
#include "cli/run_batch.h"
#include "cli/run_job.h"
#include "image/contained_decode.h"
#include "platform/physical_memory.h"
#include "platform/translate.h"

int main(int argc, char** argv) {
    using namespace nuthumb;
    KeepFreedMemoryForReuse();  // before any thread has a heap of its own
    InitTranslation();
    ContainComplexDecoders(DecoderProgram());
    InstallInterruptHandler();
    // A reader that goes away (| head -1) makes writes fail with EPIPE, which is
    // reported, instead of killing the program before it has written its files.
    std::signal(SIGPIPE, SIG_IGN);
    const auto parsed = ParseCommandLine(argc, argv);
    if (const auto* exit = std::get_if<CliExit>(&parsed)) return exit->status;
    const auto& options = std::get<CliOptions>(parsed);
    if (options.batch || options.batch_file) return RunBatchCommand(options);
    return RunJob(options);
}
