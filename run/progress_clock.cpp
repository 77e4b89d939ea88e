#include "run/progress_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/translate.h"

namespace nuthumb {
namespace {

// A pace told sooner swings with the first file's size.
constexpr double kSecondsBeforeAPace = 1.0;

}  // namespace

std::string ClockText(double seconds) {
    const long long whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    char text[48];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string ProgressClock::CountText(int done) const { return std::to_string(done) + "/" + std::to_string(total_); }

double ProgressClock::MeasuredSeconds(int done, Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    return done > 0 && seconds >= kSecondsBeforeAPace ? seconds : -1;
}

std::string ProgressClock::RateText(int done, Clock::time_point now) const {
    const double seconds = MeasuredSeconds(done, now);
    if (seconds < 0) return {};
    const double rate = done / seconds;
    char number[32];
    std::snprintf(number, sizeof number, rate < 10 ? "%.1f" : "%.0f", rate);
    return Fill(Tr("{} 個/秒"), {number});
}

std::string ProgressClock::TimeLeftText(int done, Clock::time_point now) const {
    const double seconds = MeasuredSeconds(done, now);
    if (seconds < 0) return {};
    const int left = total_ > done ? total_ - done : 0;
    return Fill(Tr("残り {}"), {ClockText(seconds / done * left)});
}

}  // namespace nuthumb
