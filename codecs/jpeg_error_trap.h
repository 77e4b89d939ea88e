#pragma once
// The error manager every libjpeg object of ours uses: a warning that means lost
// pixels is noted (the file still decodes as far as it goes), the others are
// dropped, and a fatal error jumps back to the setjmp of the codec routine that
// called into the library, which then throws.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <string>

#include <jpeglib.h>

#include "pixels/source_damage.h"

namespace nuthumb {

struct JpegErrorTrap {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];  // the library's own words, or the reason of Abort
    int code;                       // the library's message code; 0 after Abort
    bool stopped;  // the jump was the caller's stop request, not the file's fault
    SourceDamage damage;  // the worst of the warnings so far

    // Installs the trap into `common` before the object is created.
    void InstallInto(j_common_ptr common);
    // What went wrong in the user's language: the common failures in our own
    // words, with the library's text after them where it adds detail.
    std::string Message() const;

    // Ends the library call in progress from one of our own callbacks, the way a
    // fatal error does, with `reason` (already in the user's language) as the message.
    [[noreturn]] void Abort(const char* reason);
};

}  // namespace nuthumb
