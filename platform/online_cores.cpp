#include "platform/online_cores.h"

#include <unistd.h>

namespace nuthumb {

int OnlineCores() {
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    return cores > 1 ? static_cast<int>(cores) : 1;
}

}  // namespace nuthumb
