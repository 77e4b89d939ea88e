#include "run/prepare_aside.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <system_error>
#include <mutex>
#include <thread>

#include "run/wait_slice.h"

namespace nuthumb {

PreparedThumbnail PrepareAside(const std::string& source, const Conversion& conversion,
                               const DecodeOptions& options, const std::function<void()>& while_waiting) {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    PreparedThumbnail result;
    std::exception_ptr error;
    DecodeOptions helper_options{[&stop] { return stop.load(); }};
    helper_options.reserve_memory = options.reserve_memory;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                result = PrepareThumbnail(source, conversion, helper_options);
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(mutex);
            done = true;
            finished.notify_one();
        });
    } catch (const std::system_error&) {
        // No thread to spare (a limit on processes): the file is still prepared,
        // only the host's events wait meanwhile.
        return PrepareThumbnail(source, conversion, options);
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

    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (finished.wait_for(lock, std::chrono::milliseconds(kWaitSliceMilliseconds), [&] { return done; }))
                break;
        }
        if (options.StopRequested()) stop = true;
        if (while_waiting) while_waiting();
    }
    helper.join();
    if (error) std::rethrow_exception(error);
    return result;
}

}  // namespace nuthumb
