#include "cli/Commands.hpp"
#include "opt/OptError.hpp"

namespace lathwork::cli {

int AnimateCommand(Words, std::ostream&)
{
    throw OptError("The animate command is not available yet.");
}

} // namespace lathwork::cli
