#pragma once
// What nuthumb settles before Qt is started: --help and --version, which must work
// on a machine without a display, and the refusal to start without one, which Qt
// would answer by aborting the process.
#include <optional>
#include <ostream>

namespace nuthumb {

// The exit status when the program must end here (usage or version printed on
// `out`, a missing display explained on `err`); nullopt when the windows may be
// created. Every other argument is left to Qt (-platform and the like).
std::optional<int> AnswerBeforeWindows(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace nuthumb
