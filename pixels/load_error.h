#pragma once
#include <stdexcept>

namespace nuthumb {

// A source that cannot be turned into an image: damaged, truncated in its headers,
// not an image at all, or beyond the pixel limit. The conversion turns it into the
// load-failure message and an ErrorList line.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace nuthumb
