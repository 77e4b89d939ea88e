#include "run/prepare_aside.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/mutex.h"
#include "run/wait_slice.h"

namespace nuthumb {
namespace {

// The helper's word that it is done; what it made is read after the join.
struct Finished {
    Mutex mutex;
    CondVar changed;
    bool done GUARDED_BY(mutex) = false;
};

}  // namespace

std::vector<PreparedThumbnail> PrepareAside(const std::string& source, const std::vector<Conversion>& conversions,
                                            const DecodeOptions& options,
                                            const std::function<void()>& while_waiting) {
    std::atomic<bool> stop{false};
    Finished finished;
    std::vector<PreparedThumbnail> result;
    std::exception_ptr error;
    DecodeOptions helper_options{[&stop] { return stop.load(); }};
    helper_options.reserve_memory = options.reserve_memory;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                result = PrepareThumbnails(source, conversions, helper_options);
            } catch (...) {
                error = std::current_exception();
            }
            MutexLock lock(finished.mutex);
            finished.done = true;
            finished.changed.NotifyOne();
        });
    } catch (const std::system_error&) {
        // No thread to spare (a limit on processes): the file is still prepared,
        // only the host's events wait meanwhile.
        return PrepareThumbnails(source, conversions, options);
    }
    // Whatever unwinds this thread (an error out of while_waiting), the helper is
    // stopped and joined before the values it writes go away.
    struct Join {
        std::thread& thread;
        std::atomic<bool>& stop;
        ~Join() {
            if (!thread.joinable()) return;
            stop = true;
            thread.join();
        }
    } join{helper, stop};

    {
        MutexLock lock(finished.mutex);
        SlicedWait wait(finished.changed, [&] {
            if (options.StopRequested()) stop = true;
            if (while_waiting) while_waiting();
        });
        while (!finished.done) wait.Step(finished.mutex);
    }
    helper.join();
    if (error) std::rethrow_exception(error);
    return result;
}

}  // namespace nuthumb
