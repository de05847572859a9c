#pragma once

#include <stdexcept>
#include <string>

namespace wb {

// The one failure type of the engine. Its text is UTF-8 and says what failed, on which file
// or row, and why, so that a user can act on it; only the window turns it into a message
// box and only the command line into stderr and an exit status.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
};

} // namespace wb
