#include "image/jpeg_error_trap.h"

#include <cstddef>
#include <type_traits>

namespace nuthumb {
namespace {

static_assert(std::is_standard_layout_v<JpegErrorTrap> &&
                  offsetof(JpegErrorTrap, manager) == 0,
              "the library hands back a pointer to the manager, which must be the trap");

// Called by the library on a fatal error; must not return. A C++ exception cannot
// safely cross the C library's frames, so this jumps instead.
[[noreturn]] void ErrorExit(j_common_ptr common) {
    auto* trap = reinterpret_cast<JpegErrorTrap*>(common->err);
    common->err->format_message(common, trap->message);
    std::longjmp(trap->jump, 1);
}

// Corrupt data the library can step over, a missing end: not our failure.
void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

}  // namespace

void JpegErrorTrap::InstallInto(j_common_ptr common) {
    common->err = jpeg_std_error(&manager);
    manager.error_exit = ErrorExit;
    manager.emit_message = IgnoreMessage;
    manager.output_message = IgnoreOutput;
    message[0] = '\0';
    stopped = false;
}

void JpegErrorTrap::Abort(const char* reason) {
    std::snprintf(message, sizeof message, "%s", reason);
    std::longjmp(jump, 1);
}

}  // namespace nuthumb
