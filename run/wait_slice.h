#pragma once
// How long the run's thread waits for another thread at a time before it lets
// its host handle events (RunHost::WhileWaitingForWorkers): short enough that a
// window doing so never looks frozen.
namespace nuthumb {

inline constexpr int kWaitSliceMilliseconds = 10;

}  // namespace nuthumb
