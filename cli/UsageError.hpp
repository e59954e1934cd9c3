#pragma once

#include "opt/OptError.hpp"

namespace lathwork::cli {

// A command line the tool cannot follow (an unknown option, a bad number, a missing argument).
// Found before any file is touched; main reports it with exit status 2.
class UsageError : public OptError {
public:
    using OptError::OptError;
};

} // namespace lathwork::cli
