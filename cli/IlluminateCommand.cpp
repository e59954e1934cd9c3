#include "cli/Commands.hpp"
#include "opt/OptError.hpp"

namespace lathwork::cli {

int IlluminateCommand(Words, std::ostream&)
{
    throw OptError("The illuminate command is not available yet.");
}

} // namespace lathwork::cli
