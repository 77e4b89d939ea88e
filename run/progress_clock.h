#pragma once
// The pace of a run for its progress display: how many files of how many, files
// a second and the time left, from the files done since the run began. Each
// host that shows progress keeps one and starts it when the run sets its maximum.
#include <chrono>
#include <string>

namespace nuthumb {

class ProgressClock {
public:
    using Clock = std::chrono::steady_clock;

    void Start(int total, Clock::time_point now = Clock::now()) {
        total_ = total;
        start_ = now;
    }
    // "12/345".
    std::string CountText(int done) const;
    // "3.4 個/秒" and "残り 1:42" in the user's language; empty until a file is
    // done and a second has passed, before which no pace can be told.
    std::string RateText(int done, Clock::time_point now = Clock::now()) const;
    std::string TimeLeftText(int done, Clock::time_point now = Clock::now()) const;

private:
    // Seconds since the start when a pace can be told, else a negative value.
    double MeasuredSeconds(int done, Clock::time_point now) const;

    int total_ = 0;
    Clock::time_point start_{};
};

// "0:07", "1:42", "2:03:04": whole seconds, rounded up.
std::string ClockText(double seconds);

}  // namespace nuthumb
