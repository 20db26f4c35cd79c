// A picture that cannot be made: no software OpenGL, or a file that cannot be written. The
// message says which and why.
#pragma once

#include <stdexcept>

namespace host {

class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace host
