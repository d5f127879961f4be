#pragma once

#include <stdexcept>
#include <string>

namespace vantrelle {

// The base of every failure the system raises. The message is the text the user
// sees, without the closing full stop (the error box adds it).
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vantrelle
