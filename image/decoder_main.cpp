// nuthumb-decoder: decodes, for nuthumb and nuthumb-cli, the files of the
// formats whose decoders are large parsers of complex containers (the codec
// table's complex rows), shut in (EnterSandbox), so that a file that crashes
// the decoder, runs it out of memory or time, or takes it over costs that one
// file. The programs start it with a socket as descriptor 3 and keep it for
// many files; it is not meant to be run by hand.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <new>

#include "image/decoder_messages.h"
#include "image/decoder_service.h"
#include "platform/helper_channel.h"
#include "platform/helper_process.h"
#include "platform/sandbox.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory for a while to catch late uses; the
// helper's memory limit counts it, so it keeps little. An allocation past the
// limit fails as it does without the sanitizer (std::bad_alloc), instead of
// ending the helper with a report.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=8:allocator_may_return_null=1"; }
#endif

int main() {
    using namespace nuthumb;
    // A library that lets the memory limit's exception reach a place where it
    // cannot be caught ends the helper in a way the program can name.
    std::set_terminate([] {
        try {
            if (const std::exception_ptr failure = std::current_exception()) std::rethrow_exception(failure);
        } catch (const std::bad_alloc&) {
            ::_exit(kDecoderExitOutOfMemory);
        } catch (...) {
        }
        std::abort();
    });
    UniqueFd statm;
    try {
        statm = EnterSandbox();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nuthumb-decoder: %s\n", e.what());
        return kDecoderExitNoSandbox;
    }
    try {
        ServeDecodes(kHelperSocket, statm.get());
    } catch (const ChannelClosed&) {
        // The program went away.
    }
    // Without the exit handlers, which would look at files the sandbox no
    // longer lets it see (LeakSanitizer's report, say).
    ::_exit(0);
}
