#pragma once
// The error manager every libjpeg object of ours uses: a warning that means lost
// pixels is noted (the file still decodes as far as it goes), the others are
// dropped, and a fatal error jumps back to the setjmp of the codec routine that
// called into the library, which then throws.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <string>

#include <jpeglib.h>

#include "image/source_damage.h"

namespace nuthumb {

struct JpegErrorTrap {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool stopped;  // the jump was the caller's stop request, not the file's fault
    SourceDamage damage;  // the worst of the warnings so far

    // Installs the trap into `common` before the object is created.
    void InstallInto(j_common_ptr common);
    std::string Message() const { return message; }

    // Ends the library call in progress from one of our own callbacks, the way a
    // fatal error does, with `reason` as the message.
    [[noreturn]] void Abort(const char* reason);
};

}  // namespace nuthumb
