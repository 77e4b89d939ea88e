#include "image/jpeg_error_trap.h"

#include <cstddef>
#include <type_traits>

#include <jerror.h>

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

// The warnings after which the image holds pixels the file did not give; the
// others (an unknown JFIF revision, odd but usable parameters) change nothing.
SourceDamage DamageOf(int code) {
    switch (code) {
        case JWRN_JPEG_EOF:
            return SourceDamage::kTruncated;
        case JWRN_HIT_MARKER:        // a data segment ends before its blocks do
        case JWRN_MUST_RESYNC:       // a restart marker is missing or out of order
        case JWRN_EXTRANEOUS_DATA:   // bytes skipped in the entropy data
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
            return SourceDamage::kCorruptData;
        default:
            return SourceDamage::kNone;
    }
}

// Level -1 is a warning, higher levels are trace messages.
void NoteMessage(j_common_ptr common, int level) {
    if (level >= 0) return;
    auto* trap = reinterpret_cast<JpegErrorTrap*>(common->err);
    trap->damage = Worse(trap->damage, DamageOf(common->err->msg_code));
}
void IgnoreOutput(j_common_ptr) {}

}  // namespace

void JpegErrorTrap::InstallInto(j_common_ptr common) {
    common->err = jpeg_std_error(&manager);
    manager.error_exit = ErrorExit;
    manager.emit_message = NoteMessage;
    manager.output_message = IgnoreOutput;
    message[0] = '\0';
    stopped = false;
    damage = SourceDamage::kNone;
}

void JpegErrorTrap::Abort(const char* reason) {
    std::snprintf(message, sizeof message, "%s", reason);
    std::longjmp(jump, 1);
}

}  // namespace nuthumb
