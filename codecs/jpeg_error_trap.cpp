#include "codecs/jpeg_error_trap.h"

#include <cstddef>
#include <type_traits>

#include <jerror.h>

#include "platform/translate.h"

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
    trap->code = common->err->msg_code;
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

struct OwnText {
    const char* text;
    bool library_adds_detail;
};

// The failures a user meets; any other code reads as damaged data, which it is
// for every file that is not a rare kind of JPEG.
OwnText OwnTextOf(int code) {
    switch (code) {
        case JERR_NO_SOI: return {N_("JPEG ファイルではありません"), true};
        case JERR_INPUT_EMPTY:
        case JERR_INPUT_EOF: return {N_("ファイルが途中で切れています"), false};
        case JERR_OUT_OF_MEMORY: return {N_("メモリが足りません"), false};
        case JERR_IMAGE_TOO_BIG:
        case JERR_WIDTH_OVERFLOW: return {N_("画像が大きすぎます"), true};
        case JERR_EMPTY_IMAGE: return {N_("画像が空です"), false};
        case JERR_NO_IMAGE: return {N_("画像がありません"), false};
        case JERR_SOF_UNSUPPORTED:
        case JERR_BAD_PRECISION:
        case JERR_NOT_COMPILED:
        case JERR_CCIR601_NOTIMPL:
        case JERR_CONVERSION_NOTIMPL: return {N_("この種類の JPEG には対応していません"), true};
        default: return {N_("JPEG のデータが壊れています"), true};
    }
}

}  // namespace

void JpegErrorTrap::InstallInto(j_common_ptr common) {
    common->err = jpeg_std_error(&manager);
    manager.error_exit = ErrorExit;
    manager.emit_message = NoteMessage;
    manager.output_message = IgnoreOutput;
    message[0] = '\0';
    code = 0;
    stopped = false;
    damage = SourceDamage::kNone;
}

std::string JpegErrorTrap::Message() const {
    if (code == 0) return message;
    const OwnText own = OwnTextOf(code);
    return own.library_adds_detail ? Fill(Tr("{}（{}）"), {Tr(own.text), message}) : Tr(own.text);
}

void JpegErrorTrap::Abort(const char* reason) {
    std::snprintf(message, sizeof message, "%s", reason);
    code = 0;
    std::longjmp(jump, 1);
}

}  // namespace nuthumb
