#pragma once

#include <stdexcept>
#include <string>

namespace lathwork {

// The one error type of the core. Its message is meant for the user as it stands.
class OptError : public std::runtime_error {
public:
    explicit OptError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace lathwork
