#pragma once

namespace nuthumb {

// The number of processor cores online now, at least 1.
int OnlineCores();

}  // namespace nuthumb
